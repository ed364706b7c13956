#pragma once

#include <cstdint>

#include <QString>

#include "ComResult.h"
#include "ConversionTask.h"

class WMAFile2;

// Turns a source file and the user's output settings into a queued
// conversion. The main window's conversion start and the command-line
// converter both build their tasks here, so the two always agree.

// What is known about a source before it is converted.
struct SourceDetails
{
    QString strPath;          // full path of the source
    int nFormat = FORMAT_WMA; // format code
    uint32_t nSampleRate = 0; // Hz
    uint32_t nChannels = 0;
    uint64_t nTotalSamples = 0; // frames x channels
};

// Reads a WMA source's rate, channels and length through the decoder into
// details (path and format included) and closes the file again. The first
// failed call's code is returned; nothing stays open.
HRESULT ReadSourceDetails(WMAFile2& decoder, const QString& path, SourceDetails& details);

// The output settings the task depends on (fields of AppSettings).
struct OutputSettings
{
    QString strDesDir; // output folder
    int nFreq = 0;        // FrequencyTable index; 0 or out of range = automatic
    int nLameChannel = 0; // 0 automatic, 1 mono, anything else stereo
};

// The output file's name: the source's name up to and including its last
// "." followed by "mp3" ("Song.WMA" -> "Song.mp3", "a.b.wma" -> "a.b.mp3");
// a name without "." gets ".mp3" appended.
QString OutputFileName(const QString& sourceName);

// The smallest output frequency of FrequencyTable that is at least the
// source's, else the highest one (44100).
int AutomaticFrequency(uint32_t sourceRate);

int OutputFrequency(uint32_t sourceRate, int freq);
int OutputChannels(uint32_t sourceChannels, int lameChannel);

// A task ready to queue. The source's rate, channels and sample count must
// be non-zero (the file list marks any other source unusable).
CConversionTask BuildConversionTask(const SourceDetails& source, const OutputSettings& settings);
