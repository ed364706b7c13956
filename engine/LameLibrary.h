#pragma once

#include <QLibrary>
#include <QString>

#include "BladeEncoder.h"

// The MP3 encoder module, loaded by name at run time ("lame_enc": on Linux
// the file liblame_enc.so), first from the executable's own folder and then
// from the system's library search path. The module stays loaded for the
// life of the object.
class CLameLibrary
{
public:
    enum class LoadResult { Loaded, NotFound, MissingEntryPoint };

    CLameLibrary() = default;
    ~CLameLibrary();
    CLameLibrary(const CLameLibrary&) = delete;
    CLameLibrary& operator=(const CLameLibrary&) = delete;

    // Loads the module and looks its entry points up. beWriteInfoTag and
    // beSetEncoderThreads are optional; the other five are required.
    LoadResult Load();

    // Makes Load() look in this folder only, instead of the executable's
    // folder and the search path, so tests choose the module they get. An
    // empty folder restores the normal search. Any thread.
    static void SetModuleFolder(const QString& folder);

    BEINITSTREAM beInitStream = nullptr;
    BEENCODECHUNKFLOATS16NI beEncodeChunkFloatS16NI = nullptr;
    BEDEINITSTREAM beDeinitStream = nullptr;
    BECLOSESTREAM beCloseStream = nullptr;
    BEWRITEVBRHEADER beWriteVBRHeader = nullptr;
    BEWRITEINFOTAG beWriteInfoTag = nullptr; // null when the module lacks it
    BESETENCODERTHREADS beSetEncoderThreads = nullptr; // optional too

private:
    bool LoadFrom(const QString& fileName);
    template <class Function>
    Function Resolve(const char* name);

    QLibrary m_library;
};
