// Finding and loading the GDAL module.
#include "raster/gdal_module.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

namespace orvane::raster {
namespace {

namespace fs = std::filesystem;

constexpr const char* kModuleName = "liborvane_gdal.so";

/// Where to look, first found wins: only ORVANE_GDAL_MODULE if it is set;
/// else beside the program, in ../lib/orvane from it, and where this build
/// put it.
std::vector<fs::path> candidates()
{
    std::vector<fs::path> paths;
    if (const char* given = std::getenv("ORVANE_GDAL_MODULE"); given && *given)
        return {fs::path(given)};
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        paths.push_back(program.parent_path() / kModuleName);
        paths.push_back(program.parent_path().parent_path() / "lib" / "orvane" / kModuleName);
    }
#ifdef ORVANE_GDAL_MODULE_BUILT
    paths.emplace_back(ORVANE_GDAL_MODULE_BUILT);
#endif
    return paths;
}

struct Loaded {
    const GdalModule* module = nullptr;
    std::string why;
};

Loaded load()
{
    Loaded loaded;
    std::string tried;
    for (const fs::path& path : candidates()) {
        std::error_code ec;
        if (!fs::is_regular_file(path, ec))
            continue;
        // Kept loaded for the life of the process: GDAL registers drivers and
        // handlers that must not be unloaded under it.
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* error = dlerror();
            loaded.why = "GDAL support (" + path.string() + ") cannot be loaded: " + (error ? error : "unknown error");
            return loaded;
        }
        using Entry = const GdalModule* (*)();
        const auto entry = reinterpret_cast<Entry>(dlsym(handle, "orvane_gdal_module"));
        const GdalModule* module = entry ? entry() : nullptr;
        if (!module || module->version != kGdalModuleVersion) {
            loaded.why = "GDAL support (" + path.string() + ") is from another build of this program";
            return loaded;
        }
        loaded.module = module;
        return loaded;
    }
    const char* given = std::getenv("ORVANE_GDAL_MODULE");
    loaded.why = given && *given ? std::string("GDAL support (") + given + ", from ORVANE_GDAL_MODULE) is missing"
                                 : std::string("GDAL support (") + kModuleName + ") is not installed beside the program";
    loaded.why += "; only BMP scans can be read, and no GIS files written";
    return loaded;
}

} // namespace

const GdalModule* LoadGdalModule(std::string& why)
{
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = load(); });
    if (!loaded.module)
        why = loaded.why;
    return loaded.module;
}

} // namespace orvane::raster
