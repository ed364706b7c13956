#pragma once

#include <QString>

// The user's folders, in native form without a trailing separator; empty
// when the platform cannot tell.
namespace UserFolders {

// Per-user application data: the XDG configuration folder on Linux.
QString ApplicationData();
QString Music();
QString Desktop();

} // namespace UserFolders
