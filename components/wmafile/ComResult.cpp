#include "ComResult.h"

QString DescribeResult(HRESULT hr)
{
    switch (hr) {
    case S_OK:
        return QStringLiteral("Success");
    case S_FALSE:
        return QStringLiteral("Success (false)");
    case E_NOTIMPL:
        return QStringLiteral("Not implemented");
    case E_POINTER:
        return QStringLiteral("Invalid pointer");
    case E_FAIL:
        return QStringLiteral("Unspecified error");
    case E_ILLEGAL_METHOD_CALL:
        return QStringLiteral("The call is not allowed in the current state");
    case E_INVALIDARG:
        return QStringLiteral("Invalid argument");
    case E_OUTOFMEMORY:
        return QStringLiteral("Out of memory");
    case STG_E_FILENOTFOUND:
        return QStringLiteral("The file cannot be found");
    case STG_E_ACCESSDENIED:
        return QStringLiteral("Access to the file is denied");
    case REGDB_E_CLASSNOTREG:
        return QStringLiteral("The WMA decoder is not available");
    case WMA_E_NOT_ASF:
        return QStringLiteral("The file is not a Windows Media file");
    case WMA_E_NO_AUDIO:
        return QStringLiteral("The file has no audio stream");
    case WMA_E_DRM:
        return QStringLiteral("The file is protected by digital rights management");
    case WMA_E_CORRUPT:
        return QStringLiteral("The file is damaged or truncated");
    case WMA_E_NOT_OPEN:
        return QStringLiteral("No file is open");
    case WMA_E_UNSUPPORTED_CODEC:
        return QStringLiteral("The audio format is not supported");
    case WMA_E_NO_AUDIO_DATA:
        return QStringLiteral("The file holds no audio data");
    default:
        return QStringLiteral("Error 0x%1").arg(static_cast<uint32_t>(hr), 8, 16, QLatin1Char('0'));
    }
}

CComError::CComError(HRESULT hr)
    : CComError(hr, DescribeResult(hr))
{
}

CComError::CComError(HRESULT hr, const QString& message)
    : m_hr(hr)
    , m_strMessage(message)
    , m_strWhat(message.toStdString())
{
}

HRESULT ThrowIfFailed(HRESULT hr)
{
    if (FAILED(hr))
        throw CComError(hr);
    return hr;
}
