#include "BladeEncoder.h"

#include <memory>
#include <type_traits>

#include "EncoderThreads.h"
#include "InfoTagFile.h"
#include "LameSettings.h"
#include "LameStream.h"
#include "ParallelStream.h"
#include "StreamTable.h"

// The exported functions must have exactly the types callers look them up as.
static_assert(std::is_same_v<decltype(&beInitStream), BEINITSTREAM>);
static_assert(std::is_same_v<decltype(&beEncodeChunkFloatS16NI), BEENCODECHUNKFLOATS16NI>);
static_assert(std::is_same_v<decltype(&beDeinitStream), BEDEINITSTREAM>);
static_assert(std::is_same_v<decltype(&beCloseStream), BECLOSESTREAM>);
static_assert(std::is_same_v<decltype(&beWriteVBRHeader), BEWRITEVBRHEADER>);
static_assert(std::is_same_v<decltype(&beWriteInfoTag), BEWRITEINFOTAG>);
static_assert(std::is_same_v<decltype(&beSetEncoderThreads), BESETENCODERTHREADS>);

// No exception may cross the C boundary; running out of memory is the only
// one the module can meet.
template <class Call>
static BE_ERR Guarded(Call call) noexcept
{
    try {
        return call();
    } catch (...) {
        return BE_ERR_NO_MORE_HANDLES;
    }
}

extern "C" {

BE_ERR beInitStream(const BE_CONFIG* pbeConfig, uint32_t* dwSamples, uint32_t* dwBufferSize,
                    HBE_STREAM* phbeStream, uint32_t, uint32_t, const char*, const char*,
                    const char*, const char*, const char*, const char*, const char*, uint32_t,
                    uint32_t, uint32_t, uint32_t, uint32_t, uint32_t)
{
    return Guarded([&] {
        if (!pbeConfig || !dwSamples || !dwBufferSize || !phbeStream)
            return BE_ERR_INVALID_FORMAT_PARAMETERS;
        CLameSettings settings;
        if (const BE_ERR result = ReadLameSettings(*pbeConfig, settings))
            return result;
        // Without the bit reservoir every frame stands alone, so the stream
        // can be cut into segments that encode at once.
        const unsigned threads = EncoderThreads();
        std::unique_ptr<CEncoderStream> stream;
        const BE_ERR opened = threads > 1 && settings.bNoReservoir
            ? CParallelStream::Open(settings, threads, stream)
            : CLameStream::Open(settings, stream);
        if (opened != BE_ERR_SUCCESSFUL)
            return opened;
        const uint32_t samples = stream->SamplesPerChunk();
        const uint32_t bufferSize = stream->OutputBufferSize();
        HBE_STREAM handle = 0;
        if (const BE_ERR result = CStreamTable::Instance().Add(std::move(stream), &handle))
            return result;
        *dwSamples = samples;
        *dwBufferSize = bufferSize;
        *phbeStream = handle;
        return BE_ERR_SUCCESSFUL;
    });
}

#ifndef BLADE_ENCODER_WITHOUT_ENCODE_CHUNK
BE_ERR beEncodeChunkFloatS16NI(HBE_STREAM hbeStream, uint32_t nSamples, const float* buffer_l,
                               const float* buffer_r, uint8_t* pOutput, uint32_t* pdwOutput)
{
    return Guarded([&] {
        const auto stream = CStreamTable::Instance().Find(hbeStream);
        if (!stream)
            return BE_ERR_INVALID_HANDLE;
        return stream->Encode(nSamples, buffer_l, buffer_r, pOutput, pdwOutput);
    });
}
#endif

BE_ERR beDeinitStream(HBE_STREAM hbeStream, uint8_t* pOutput, uint32_t* pdwOutput)
{
    return Guarded([&] {
        const auto stream = CStreamTable::Instance().Find(hbeStream);
        if (!stream)
            return BE_ERR_INVALID_HANDLE;
        return stream->Flush(pOutput, pdwOutput);
    });
}

BE_ERR beCloseStream(HBE_STREAM hbeStream)
{
    return Guarded([&] { return CStreamTable::Instance().Close(hbeStream); });
}

BE_ERR beWriteVBRHeader(const char* lpszFileName)
{
    return Guarded([&] {
        const auto tag = CStreamTable::Instance().TakeLastClosedTagOfThisThread();
        if (!tag)
            return BE_ERR_NO_TAG;
        return WriteInfoTagFrame(lpszFileName, *tag);
    });
}

#ifndef BLADE_ENCODER_WITHOUT_INFO_TAG
BE_ERR beWriteInfoTag(HBE_STREAM hbeStream, const char* lpszFileName)
{
    return Guarded([&] {
        if (const auto stream = CStreamTable::Instance().Find(hbeStream)) {
            const std::vector<uint8_t> tag = stream->InfoTag();
            return tag.empty() ? BE_ERR_NO_TAG : WriteInfoTagFrame(lpszFileName, tag);
        }
        if (!CStreamTable::Instance().WasIssued(hbeStream))
            return BE_ERR_INVALID_HANDLE;
        const auto tag = CStreamTable::Instance().TakeClosedTag(hbeStream);
        if (!tag)
            return BE_ERR_NO_TAG;
        return WriteInfoTagFrame(lpszFileName, *tag);
    });
}
#endif

BE_ERR beSetEncoderThreads(uint32_t nThreads)
{
    SetEncoderThreads(nThreads);
    return BE_ERR_SUCCESSFUL;
}

} // extern "C"
