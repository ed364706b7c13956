#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include <QString>

// Result codes in the COM convention: negative means failure, the facility
// sits in bits 16-26 and the code in the low 16 bits. The decoder component
// returns one from every operation; callers turn a failed one into a
// CComError with ThrowIfFailed.
using HRESULT = int32_t;

constexpr HRESULT MakeHResult(bool failure, uint32_t facility, uint32_t code)
{
    return static_cast<HRESULT>((failure ? 0x80000000u : 0u) | ((facility & 0x7FFu) << 16)
                                | (code & 0xFFFFu));
}

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;

constexpr HRESULT E_NOTIMPL = MakeHResult(true, 0, 0x4001);
constexpr HRESULT E_POINTER = MakeHResult(true, 0, 0x4003);
constexpr HRESULT E_FAIL = MakeHResult(true, 0, 0x4005);
constexpr HRESULT E_ILLEGAL_METHOD_CALL = MakeHResult(true, 0, 0x000E);
constexpr HRESULT E_INVALIDARG = MakeHResult(true, 7, 0x0057);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(true, 7, 0x000E);
// The file system's answers when a file cannot be opened.
constexpr HRESULT STG_E_FILENOTFOUND = MakeHResult(true, 3, 0x0002);
constexpr HRESULT STG_E_ACCESSDENIED = MakeHResult(true, 3, 0x0005);
// The decoder cannot be created: FFmpeg lacks the ASF demuxer or a WMA decoder.
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(true, 4, 0x0154);

// The decoder's own failures, in the interface facility (0x8004xxxx).
// The file does not start with an ASF header: empty, too short, another
// container (WAV, MP3, ...) or no media file at all.
constexpr HRESULT WMA_E_NOT_ASF = MakeHResult(true, 4, 0x0201);
// The ASF file holds no audio stream (video only, or nothing).
constexpr HRESULT WMA_E_NO_AUDIO = MakeHResult(true, 4, 0x0202);
// The file carries an ASF content-encryption object or an encrypted stream.
constexpr HRESULT WMA_E_DRM = MakeHResult(true, 4, 0x0203);
// The header or the audio data cannot be read: truncated, damaged, or a
// stream that yields nothing but decoding errors.
constexpr HRESULT WMA_E_CORRUPT = MakeHResult(true, 4, 0x0204);
// A call that needs an open file was made with none open.
constexpr HRESULT WMA_E_NOT_OPEN = MakeHResult(true, 4, 0x0205);
// The first audio stream is in a format this decoder does not deliver
// (neither a Windows Media Audio flavour nor MP3).
constexpr HRESULT WMA_E_UNSUPPORTED_CODEC = MakeHResult(true, 4, 0x0206);
// The header is sound but the data holds no audio: a header-only or live
// stream file, or one cut before its first audio packet.
constexpr HRESULT WMA_E_NO_AUDIO_DATA = MakeHResult(true, 4, 0x0207);

// A short English description of a result code, for logs and exceptions.
QString DescribeResult(HRESULT hr);

// The exception a caller raises for a failed component call.
class CComError : public std::exception
{
public:
    explicit CComError(HRESULT hr);
    CComError(HRESULT hr, const QString& message);

    HRESULT Error() const noexcept { return m_hr; }
    const QString& ErrorMessage() const noexcept { return m_strMessage; }
    const char* what() const noexcept override { return m_strWhat.c_str(); }

private:
    HRESULT m_hr;
    QString m_strMessage;
    std::string m_strWhat;
};

// Throws CComError when hr is a failure; returns hr otherwise.
HRESULT ThrowIfFailed(HRESULT hr);
