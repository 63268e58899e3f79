#include "board/vendor_library.h"

#include <utility>
#include <vector>

#if defined(_WIN32)
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>
#endif

namespace arb {

namespace {

std::string joinNames(const std::vector<const char*>& names) {
    std::string text;
    for (const char* name : names)
        text += (text.empty() ? "" : ", ") + std::string(name);
    return text;
}

#if defined(_WIN32)

void* resolveExport(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void closeLibrary(void* handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}

// LoadLibrary gives the same error for a missing module and a missing dependency of it. Mapping
// the file as plain data resolves only the module itself by the same search, so success there
// means the module is present and its own load failed.
// Error boxes are suppressed: a broken library is reported once, in the program's own words.
void* openLibrary(const std::string& name, bool& absent, std::string& reason) {
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE handle = LoadLibraryA(name.c_str());
    if (handle == nullptr) {
        reason = "Windows error " + std::to_string(GetLastError());
        HMODULE data = LoadLibraryExA(name.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        absent = data == nullptr;
        if (data != nullptr)
            FreeLibrary(data);
    }
    SetThreadErrorMode(previousMode, nullptr);
    return handle;
}

#else

void* resolveExport(void* handle, const char* name) {
    return dlsym(handle, name);
}

void closeLibrary(void* handle) {
    dlclose(handle);
}

// dlopen fails the same way for an absent library and a broken one; only the details differ.
// - A name with a slash is opened as that one file, so the library is absent when the file is.
// - A bare name is searched for (the caller's run path, LD_LIBRARY_PATH, the ld.so cache, the
//   system directories). The loader names the object it failed on at the start of its message:
//   the bare name itself with "No such file or directory" only when no file of that name was
//   found anywhere; a file found but refused is named by its full path, and a missing dependency
//   by the dependency's name. strerror gives the ending in the same language as dlerror.
bool isAbsent(const std::string& name, const std::string& reason) {
    if (name.find('/') != std::string::npos) {
        struct stat info {};
        return stat(name.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
    }
    const std::string notFound = std::strerror(ENOENT);
    return reason.starts_with(name + ":") && reason.ends_with(notFound);
}

void* openLibrary(const std::string& name, bool& absent, std::string& reason) {
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = dlerror();
        reason = error ? error : "unknown error";
        absent = isAbsent(name, reason);
    }
    return handle;
}

#endif

template <typename Fn>
void resolve(void* handle, const char* name, Fn& slot, std::vector<const char*>& missing) {
    // The platform hands back an untyped address; its type is the one the export is known by.
    slot = reinterpret_cast<Fn>(resolveExport(handle, name));
    if (slot == nullptr)
        missing.push_back(name);
}

} // namespace

std::string VendorLibrary::DefaultName() {
#if defined(_WIN32)
    return "VELDRA.dll";
#else
    return "libveldra.so";
#endif
}

VendorLibrary::VendorLibrary(const std::string& nameOrPath) {
    const std::string library = "The board library " + nameOrPath;
    bool absent = false;
    std::string reason;
    handle_ = openLibrary(nameOrPath, absent, reason);
    if (handle_ == nullptr) {
        status_ = absent ? Status::NotFound : Status::LoadFailed;
        if (!absent)
            message_ = library + " could not be loaded (" + reason + ").";
        return;
    }

    std::vector<const char*> missing;
    resolve(handle_, "VELDRA_ReloadDeviceLinks", functions_.reloadDeviceLinks, missing);
    resolve(handle_, "DACSetBoardRange", functions_.setBoardRange, missing);
    resolve(handle_, "GenericVendorWrite", functions_.vendorWrite, missing);
    resolve(handle_, "DACOutputSetCount", functions_.outputSetCount, missing);
    resolve(handle_, "DACOutputProcess", functions_.outputProcess, missing);
    if (missing.empty()) {
        status_ = Status::Bound;
        return;
    }
    status_ = Status::SymbolMissing;
    message_ = library + " lacks the export" + (missing.size() > 1 ? "s " : " ") +
               joinNames(missing) + ".";
    functions_ = {};
    closeLibrary(std::exchange(handle_, nullptr));
}

VendorLibrary::~VendorLibrary() {
    if (handle_ != nullptr)
        closeLibrary(handle_);
}

} // namespace arb
