#include "ConversionTask.h"

CConversionTask::CConversionTask(const CConversionTask& other)
{
    *this = other;
}

CConversionTask& CConversionTask::operator=(const CConversionTask& other)
{
    m_strSource = other.m_strSource;
    m_nSourceFormat = other.m_nSourceFormat;
    m_nSourceRate = other.m_nSourceRate;
    m_nSourceChannels = other.m_nSourceChannels;
    m_strDest = other.m_strDest;
    m_nDestFormat = other.m_nDestFormat;
    m_nDestRate = other.m_nDestRate;
    m_nDestChannels = other.m_nDestChannels;
    m_nTotalSamples = other.m_nTotalSamples;
    m_dRatio = other.m_dRatio;
    m_bProcess = other.m_bProcess;
    m_bDecoding.store(other.m_bDecoding.load());
    m_bProcessing.store(other.m_bProcessing.load());
    m_bEncoding.store(other.m_bEncoding.load());
    m_pEncoderInput = other.m_pEncoderInput;
    return *this;
}

float CConversionTask::SamplesToSeconds(uint64_t n) const
{
    if (m_nDestChannels <= 0 || m_nDestRate <= 0)
        return 0.0f;
    return static_cast<float>(static_cast<double>(n)
                              / (static_cast<double>(m_nDestChannels) * m_nDestRate));
}
