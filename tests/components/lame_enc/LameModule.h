#pragma once

#include <QDir>
#include <QLibrary>
#include <QString>

#include "BladeEncoder.h"

// The encoder module's entry points, looked up by name as the engine does,
// from the module in a folder (the build's bin folder, or a test variant's).
struct LameModule
{
    explicit LameModule(const QString& folder = QStringLiteral(MARLUNE_BIN_DIR))
        : library(QDir(folder).filePath(QStringLiteral("lame_enc")))
    {
        if (!library.load())
            return;
        init = reinterpret_cast<BEINITSTREAM>(library.resolve("beInitStream"));
        encode = reinterpret_cast<BEENCODECHUNKFLOATS16NI>(library.resolve("beEncodeChunkFloatS16NI"));
        deinit = reinterpret_cast<BEDEINITSTREAM>(library.resolve("beDeinitStream"));
        close = reinterpret_cast<BECLOSESTREAM>(library.resolve("beCloseStream"));
        writeVbrHeader = reinterpret_cast<BEWRITEVBRHEADER>(library.resolve("beWriteVBRHeader"));
        writeInfoTag = reinterpret_cast<BEWRITEINFOTAG>(library.resolve("beWriteInfoTag"));
        setThreads = reinterpret_cast<BESETENCODERTHREADS>(library.resolve("beSetEncoderThreads"));
    }
    // The thread count is the module's, not a stream's: the next user finds
    // the default again.
    ~LameModule()
    {
        if (setThreads)
            setThreads(0);
        library.unload();
    }
    LameModule(const LameModule&) = delete;
    LameModule& operator=(const LameModule&) = delete;

    QLibrary library;
    BEINITSTREAM init = nullptr;
    BEENCODECHUNKFLOATS16NI encode = nullptr;
    BEDEINITSTREAM deinit = nullptr;
    BECLOSESTREAM close = nullptr;
    BEWRITEVBRHEADER writeVbrHeader = nullptr;
    BEWRITEINFOTAG writeInfoTag = nullptr;
    BESETENCODERTHREADS setThreads = nullptr;
};
