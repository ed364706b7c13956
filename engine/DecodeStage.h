#pragma once

#include <cstdint>

#include <QString>

class CConversionTask;
class WMAFile2;

// The decoding stage: runs on the job runner's thread, checks the source,
// starts the downstream thread (the processing chain, or the encoder
// directly) and decodes the source into g_pDecodedRing until it ends or the
// job stops.

// The one decoder instance of the process. Owned by whoever created it (the
// main window, a test, the command-line converter), which keeps it until no
// job runs. The file-list loader and the job runner take turns with it.
extern WMAFile2* g_pWMAFile;

// Applied to every decoded value, which holds a 16-bit sample in its upper
// half: it keeps the sample's upper ten bits, so a sample s becomes
// 64 * floor(s / 64).
constexpr uint32_t SAMPLE_MASK = 0xFFC00000u;

// Frames asked of the decoder per block.
constexpr int DECODE_BLOCK_FRAMES = 128;

// The runner's decoding step for the task (its own copy, which outlives the
// stage threads). False when the task failed: the job is then stopped and
// one error line was posted, except for a source format that is not WMA,
// which fails without a line.
bool DecodeTask(CConversionTask& task);

// Whether the file opens for reading; posts "File Error: %s" with the
// system's reason when it does not.
bool CheckSourceFile(const QString& path);

// Sets the decoder's output format to the source's and opens the source.
// A failed decoder call throws CComError. Called before the downstream
// threads start, so a source that cannot be decoded never leaves an output
// file behind.
void OpenWmaSource(const CConversionTask& task);

// Decodes the source that OpenWmaSource opened into g_pDecodedRing and
// closes it. True when decoding ended, also when the job was stopped
// meanwhile; a failed decoder call throws CComError.
bool DecodeWma(CConversionTask& task);
