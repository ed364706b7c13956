#include "LameLibrary.h"

#include <mutex>

#include <QCoreApplication>
#include <QDir>

namespace {

const QString kModuleName = QStringLiteral("lame_enc");

std::mutex s_folderMutex;
QString s_moduleFolder;

QString ModuleFolderOverride()
{
    std::lock_guard lock(s_folderMutex);
    return s_moduleFolder;
}

} // namespace

CLameLibrary::~CLameLibrary()
{
    if (m_library.isLoaded())
        m_library.unload();
}

void CLameLibrary::SetModuleFolder(const QString& folder)
{
    std::lock_guard lock(s_folderMutex);
    s_moduleFolder = folder;
}

CLameLibrary::LoadResult CLameLibrary::Load()
{
    // QLibrary completes the base name the platform's way (lib...so,
    // ....dll), so the rule reads the same everywhere.
    const QString folder = ModuleFolderOverride();
    const bool loaded = folder.isEmpty()
        ? LoadFrom(QDir(QCoreApplication::applicationDirPath()).filePath(kModuleName))
            || LoadFrom(kModuleName)
        : LoadFrom(QDir(folder).filePath(kModuleName));
    if (!loaded)
        return LoadResult::NotFound;

    beInitStream = Resolve<BEINITSTREAM>("beInitStream");
    beEncodeChunkFloatS16NI = Resolve<BEENCODECHUNKFLOATS16NI>("beEncodeChunkFloatS16NI");
    beDeinitStream = Resolve<BEDEINITSTREAM>("beDeinitStream");
    beCloseStream = Resolve<BECLOSESTREAM>("beCloseStream");
    beWriteVBRHeader = Resolve<BEWRITEVBRHEADER>("beWriteVBRHeader");
    beWriteInfoTag = Resolve<BEWRITEINFOTAG>("beWriteInfoTag");
    beSetEncoderThreads = Resolve<BESETENCODERTHREADS>("beSetEncoderThreads");
    if (!beInitStream || !beEncodeChunkFloatS16NI || !beDeinitStream || !beCloseStream
        || !beWriteVBRHeader)
        return LoadResult::MissingEntryPoint;
    return LoadResult::Loaded;
}

bool CLameLibrary::LoadFrom(const QString& fileName)
{
    m_library.setFileName(fileName);
    return m_library.load();
}

template <class Function>
Function CLameLibrary::Resolve(const char* name)
{
    return reinterpret_cast<Function>(m_library.resolve(name));
}
