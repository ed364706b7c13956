#pragma once

#include <memory>

class CConversionTask;
class CWorkerThread;

// The MP3 encoding stage: drains the task's encoder input chunk by chunk
// through the encoder module into the output file, reports progress to the
// running job's window (g_pConvProg) and ends the file with the encoder's
// information tag.

// Thread entry of the encoding stage; the task is the runner's copy, which
// outlives the thread. Sets m_bEncoding for the thread's life. Returns 0.
unsigned EncodeTask(CConversionTask* task);

// Encodes the whole stream. A failure posts its log line, clears m_bRunning
// and returns false. When m_bRunning is cleared by someone else meanwhile,
// the file is still finished and tagged with what was encoded. A file that
// received no audio at all is removed, and false returned.
bool EncodeMp3(CConversionTask& task);

// Reports the percentages to the progress window: posted, or with send set
// delivered and handled before the call returns.
void PostProgress(float fCurrentPercent, float fJobPercent, bool bSend);

// Starts the encoding stage for the task on a thread of its own, stored in
// the running job's m_pEncoderThread before it is resumed. Called by the
// stage upstream (decoding or processing).
std::shared_ptr<CWorkerThread> StartEncodeStage(CConversionTask& task);
