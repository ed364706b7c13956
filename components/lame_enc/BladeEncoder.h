#pragma once

// The BladeEnc-style interface of Marlune's MP3 encoder module. The engine
// loads the module by name at run time and looks the entry points up by
// their names, so everything here is plain C: fixed-width fields, C linkage,
// the C calling convention.

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(BLADE_ENCODER_BUILD)
#define BE_API __declspec(dllexport)
#else
#define BE_API
#endif
#else
#define BE_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t BE_ERR;

static const BE_ERR BE_ERR_SUCCESSFUL = 0x00000000;
static const BE_ERR BE_ERR_INVALID_FORMAT = 0x00000001;
static const BE_ERR BE_ERR_INVALID_FORMAT_PARAMETERS = 0x00000002;
static const BE_ERR BE_ERR_NO_MORE_HANDLES = 0x00000003;
static const BE_ERR BE_ERR_INVALID_HANDLE = 0x00000004;
static const BE_ERR BE_ERR_BUFFER_TOO_SMALL = 0x00000005;
// The tag could not be written: the file is missing, unwritable, or does not
// start with the frame the stream reserved for it.
static const BE_ERR BE_ERR_TAG_FILE = 0x00000100;
// The stream has no tag to write: it was not flushed, reserved none (the tag
// does not fit a frame of a very low bitrate), or its tag was already written.
static const BE_ERR BE_ERR_NO_TAG = 0x00000101;
// libmp3lame itself failed.
static const BE_ERR BE_ERR_ENCODER_FAILED = 0x00000102;

// dwConfig: the only configuration kind the module understands.
enum { BE_CONFIG_LAME = 256 };

// nMode
enum {
    BE_MP3_MODE_STEREO = 0,
    BE_MP3_MODE_JSTEREO = 1,
    BE_MP3_MODE_DUALCHANNEL = 2,
    BE_MP3_MODE_MONO = 3,
};

enum { LQP_NOPRESET = -1 };

// A stream handle is a number, never an address: a stale or invented handle
// is recognised and refused instead of being followed.
typedef uintptr_t HBE_STREAM;

#pragma pack(push, 1)

// The configuration record in its LAME layout: 331 bytes, packed, every
// multi-byte field little-endian as on the encoder's home platform. Fields
// are 32 bits wide except nQuality (16 bits); the rest is reserved and zero.
typedef struct BE_CONFIG {
    uint32_t dwConfig;
    union {
        struct {
            uint32_t dwStructVersion;
            uint32_t dwStructSize;
            uint32_t dwSampleRate;   // frequency of the samples handed in, Hz
            uint32_t dwReSampleRate; // output frequency; 0 keeps dwSampleRate
            int32_t nMode;
            uint32_t dwBitrate;      // kbps
            uint32_t dwMaxBitrate;
            int32_t nPreset;
            uint32_t dwMpegVersion;
            uint32_t dwPsyModel;
            uint32_t dwEmphasis;
            int32_t bPrivate;
            int32_t bCRC;
            int32_t bCopyright;
            int32_t bOriginal;
            int32_t bWriteVBRHeader; // reserve and later write the information tag
            int32_t bEnableVBR;
            int32_t nVBRQuality;
            uint32_t dwVbrAbr_bps;
            int32_t nVbrMethod;
            int32_t bNoRes;          // bit reservoir off
            int32_t bStrictIso;
            // Low byte the quality 0 (best) .. 9 (fastest); honoured only
            // when the high byte is its complement.
            uint16_t nQuality;
            uint8_t btReserved[237];
        } LHV1;
    } format;
} BE_CONFIG;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(BE_CONFIG) == 331);
static_assert(offsetof(BE_CONFIG, dwConfig) == 0);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwStructVersion) == 4);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwStructSize) == 8);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwSampleRate) == 12);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwReSampleRate) == 16);
static_assert(offsetof(BE_CONFIG, format.LHV1.nMode) == 20);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwBitrate) == 24);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwMaxBitrate) == 28);
static_assert(offsetof(BE_CONFIG, format.LHV1.nPreset) == 32);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwMpegVersion) == 36);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwPsyModel) == 40);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwEmphasis) == 44);
static_assert(offsetof(BE_CONFIG, format.LHV1.bPrivate) == 48);
static_assert(offsetof(BE_CONFIG, format.LHV1.bCRC) == 52);
static_assert(offsetof(BE_CONFIG, format.LHV1.bCopyright) == 56);
static_assert(offsetof(BE_CONFIG, format.LHV1.bOriginal) == 60);
static_assert(offsetof(BE_CONFIG, format.LHV1.bWriteVBRHeader) == 64);
static_assert(offsetof(BE_CONFIG, format.LHV1.bEnableVBR) == 68);
static_assert(offsetof(BE_CONFIG, format.LHV1.nVBRQuality) == 72);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwVbrAbr_bps) == 76);
static_assert(offsetof(BE_CONFIG, format.LHV1.nVbrMethod) == 80);
static_assert(offsetof(BE_CONFIG, format.LHV1.bNoRes) == 84);
static_assert(offsetof(BE_CONFIG, format.LHV1.bStrictIso) == 88);
static_assert(offsetof(BE_CONFIG, format.LHV1.nQuality) == 92);
static_assert(offsetof(BE_CONFIG, format.LHV1.btReserved) == 94);
#endif

// beInitStream takes fifteen values after the four the encoder reads; callers
// of the BladeEnc family pass them and the module ignores them. They are
// declared with fixed types rather than as "...", so caller and module agree
// on every argument's type and width under the C ABI (a literal 0 handed to
// "..." travels as an int where the callee might read a pointer-sized slot).
//
// Opens a stream. dwSamples receives the number of sample values (frames
// times channels) each call to beEncodeChunkFloatS16NI carries at most,
// dwBufferSize the byte size of the output buffer every call needs.
BE_API BE_ERR beInitStream(const BE_CONFIG *pbeConfig, uint32_t *dwSamples, uint32_t *dwBufferSize,
                    HBE_STREAM *phbeStream, uint32_t dwReserved1, uint32_t dwReserved2,
                    const char *pszReserved1, const char *pszReserved2, const char *pszReserved3,
                    const char *pszReserved4, const char *pszReserved5, const char *pszReserved6,
                    const char *pszReserved7, uint32_t dwReserved3, uint32_t dwReserved4,
                    uint32_t dwReserved5, uint32_t dwReserved6, uint32_t dwReserved7,
                    uint32_t dwReserved8);
typedef BE_ERR (*BEINITSTREAM)(const BE_CONFIG *, uint32_t *, uint32_t *, HBE_STREAM *,
                               uint32_t, uint32_t, const char *, const char *, const char *,
                               const char *, const char *, const char *, const char *,
                               uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t);

// Encodes nSamples frames of non-interleaved floats in the 16-bit range
// (+/-32768); buffer_r is null for a mono stream. nSamples may not exceed
// dwSamples / channels, so the output fits the reported buffer size.
BE_API BE_ERR beEncodeChunkFloatS16NI(HBE_STREAM hbeStream, uint32_t nSamples, const float *buffer_l,
                               const float *buffer_r, uint8_t *pOutput, uint32_t *pdwOutput);
typedef BE_ERR (*BEENCODECHUNKFLOATS16NI)(HBE_STREAM, uint32_t, const float *, const float *,
                                          uint8_t *, uint32_t *);

// Flushes the last frames into pOutput. Nothing more can be encoded after it.
BE_API BE_ERR beDeinitStream(HBE_STREAM hbeStream, uint8_t *pOutput, uint32_t *pdwOutput);
typedef BE_ERR (*BEDEINITSTREAM)(HBE_STREAM, uint8_t *, uint32_t *);

// Ends a stream. The information tag of a flushed stream outlives it, so
// the tag may still be written after the stream was closed.
BE_API BE_ERR beCloseStream(HBE_STREAM hbeStream);
typedef BE_ERR (*BECLOSESTREAM)(HBE_STREAM);

// Writes the information tag of the flushed stream most recently closed on
// the calling thread into the frame reserved for it at the start of the
// file; the tag is used up.
BE_API BE_ERR beWriteVBRHeader(const char *lpszFileName);
typedef BE_ERR (*BEWRITEVBRHEADER)(const char *);

// Writes the information tag of the given flushed stream, open or closed,
// into the frame reserved for it at the start of the file. A closed
// stream's tag is used up.
BE_API BE_ERR beWriteInfoTag(HBE_STREAM hbeStream, const char *lpszFileName);
typedef BE_ERR (*BEWRITEINFOTAG)(HBE_STREAM, const char *);

// Optional. How many threads each stream opened afterwards encodes on, for
// the whole process; 0 (the default) gives one per processor core. A stream
// without bit reservoir on more than one thread is cut into segments encoded
// at once and joined: the same bytes as on one thread, only sooner.
BE_API BE_ERR beSetEncoderThreads(uint32_t nThreads);
typedef BE_ERR (*BESETENCODERTHREADS)(uint32_t);

#ifdef __cplusplus
}
#endif
