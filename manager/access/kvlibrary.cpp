#include "manager/access/kvlibrary.h"

#include <utility>

#include "common/platform/dynlib.h"

const char* KvLibraryFileName() {
    static const std::string name = SharedLibraryFileName("kvsetup");
    return name.c_str();
}

namespace {

// Resolves one function into target; false when the library does not export it.
template <typename F>
bool Resolve(void* handle, const char* name, F& target) {
    target = reinterpret_cast<F>(SharedLibrarySymbol(handle, name));
    return target != nullptr;
}

}  // namespace

std::unique_ptr<TKvLibrary> TKvLibrary::Load(const std::string& programFolder, std::string* error) {
    return Load(std::vector<std::string>{programFolder}, error);
}

std::unique_ptr<TKvLibrary> TKvLibrary::LoadForProgram(const std::string& homeFolder,
                                                       const std::string& executableFolder,
                                                       std::string* error) {
    // The same folder twice would only repeat its failure in the message.
    return Load(
        std::vector<std::string>{homeFolder == executableFolder ? std::string() : homeFolder,
                                 executableFolder},
        error);
}

std::unique_ptr<TKvLibrary> TKvLibrary::Load(const std::vector<std::string>& folders,
                                             std::string* error) {
    const std::string bareName = KvLibraryFileName();
    std::string fileName;
    std::string failures;
    void* handle = nullptr;
    // An empty folder would make the path absolute from the root.
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        fileName = folder + "/" + bareName;
        std::string failure;
        handle = OpenSharedLibrary(fileName, &failure);
        if (handle) break;
        failures += failure + "; ";
    }
    if (!handle) {
        fileName = bareName;
        std::string failure;
        handle = OpenSharedLibrary(fileName, &failure);
        if (!handle) failures += failure;
    }
    if (!handle) {
        if (error) *error = "Cannot load " + bareName + ": " + failures;
        return nullptr;
    }

    Functions f{};
    const char* missing = nullptr;
    auto need = [&](const char* name, auto& target) {
        if (!missing && !Resolve(handle, name, target)) missing = name;
    };
    need("kv_search_all", f.searchAll);
    need("kv_search_one", f.searchOne);
    need("kv_login", f.login);
    need("kv_logout", f.logout);
    need("kv_reset", f.reset);
    need("kv_read_setting2", f.readSetting);
    need("kv_write_setting2", f.writeSetting);
    if (missing) {
        CloseSharedLibrary(handle);
        if (error) *error = fileName + " has no function " + missing;
        return nullptr;
    }
    return std::unique_ptr<TKvLibrary>(new TKvLibrary(handle, std::move(fileName), f));
}

TKvLibrary::TKvLibrary(void* handle, std::string fileName, const Functions& functions)
    : handle_(handle), fileName_(std::move(fileName)), fn_(functions) {}

TKvLibrary::~TKvLibrary() {
    CloseSharedLibrary(handle_);
}

template <typename Call>
std::int32_t TKvLibrary::InTurn(Call call) {
    std::unique_lock lock(turnMutex_);
    const std::uint64_t ticket = nextTicket_++;
    turnChanged_.wait(lock, [&] { return serving_ == ticket; });
    lock.unlock();
    const std::int32_t result = call();
    lock.lock();
    ++serving_;
    turnChanged_.notify_all();
    return result;
}

int TKvLibrary::WaitingCalls() const {
    std::lock_guard lock(turnMutex_);
    // The call being served is not waiting.
    return nextTicket_ > serving_ ? static_cast<int>(nextTicket_ - serving_ - 1) : 0;
}

std::int32_t TKvLibrary::SearchAll(TDeviceRecord* records, std::int32_t* count) {
    return InTurn([&] { return fn_.searchAll(records, count); });
}

std::int32_t TKvLibrary::SearchOne(const std::string& ip, TDeviceRecord* record) {
    return InTurn([&] { return fn_.searchOne(ip.c_str(), record); });
}

std::int32_t TKvLibrary::Login(const std::string& ip, const TMacBytes& mac,
                               TDeviceCredentials* cred) {
    return InTurn([&] { return fn_.login(ip.c_str(), mac.data(), cred); });
}

std::int32_t TKvLibrary::Logout(const std::string& ip, const TMacBytes& mac,
                                TDeviceCredentials* cred) {
    return InTurn([&] { return fn_.logout(ip.c_str(), mac.data(), cred); });
}

std::int32_t TKvLibrary::Reset(const std::string& ip, const TMacBytes& mac,
                               TDeviceCredentials* cred) {
    return InTurn([&] { return fn_.reset(ip.c_str(), mac.data(), cred); });
}

std::int32_t TKvLibrary::ReadSetting(const std::string& ip, const TMacBytes& mac,
                                     std::uint8_t* block, TDeviceCredentials* cred) {
    return InTurn([&] { return fn_.readSetting(ip.c_str(), mac.data(), block, cred); });
}

std::int32_t TKvLibrary::WriteSetting(const std::string& ip, const TMacBytes& mac,
                                      std::uint8_t* block, std::int32_t length,
                                      TDeviceCredentials* cred) {
    return InTurn([&] { return fn_.writeSetting(ip.c_str(), mac.data(), block, length, cred); });
}
