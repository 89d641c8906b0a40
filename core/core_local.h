// Helpers private to the game core.
#pragma once

#include <string>

namespace core_local {

// The path of `name` inside `folder`. Resource folders are matched without regard to case (the
// game's files were named on a system that ignored it): when no file has exactly that name but
// one differs only in case, that file's path is returned, so reading finds it and writing
// replaces it instead of creating a twin. Otherwise the plain joined path.
// TODO(settings): replace with the shared resource-folder lookup once settings/ provides it.
std::string ResolveInFolder(const std::string& folder, const std::string& name);

}  // namespace core_local
