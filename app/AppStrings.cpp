#include "AppStrings.h"

#include <array>
#include <utility>

#include "AppCommands.h"

QString LoadResString(unsigned nID)
{
    static const std::array<std::pair<unsigned, const char*>, 7> kStrings{{
        {IDS_ABOUTBOX, "&About"},
        {ID_ADD_FILES, "Add audio files to the current file list"},
        {ID_APP_EXIT, "Exit Marlune"},
        {ID_CONVERT_SELECTED, "Convert the selected files"},
        {ID_CONVERT_LIST, "Convert the files in the list"},
        {ID_OPTIONS, "Open the option dialog"},
        {ID_ABOUT, "About Marlune"},
    }};
    for (const auto& [id, text] : kStrings) {
        if (id == nID)
            return QString::fromLatin1(text);
    }
    return {};
}
