#include "store/database_file.h"

#include "platform/system_info.h"

namespace cpe::store {

std::string DatabaseFileIn(std::string_view folder) {
    std::string path(folder);
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + std::string(kDatabaseFileName);
}

std::string ConnectionStringFor(const std::filesystem::path& file) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string();
}

std::filesystem::path DefaultDatabaseFile() {
    const std::string& programDir = platform::GetProgramDir();
    if (platform::MayWriteInProgramFolder(programDir))
        return DatabaseFileIn(programDir);
    const std::string runtimeDir = platform::RuntimeDir();
    if (runtimeDir.empty())
        return {};
    return DatabaseFileIn(runtimeDir);
}

}  // namespace cpe::store
