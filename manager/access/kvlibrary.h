// The device-access library, loaded by name at program start.
//
// Every call into the library goes through this one object, one call at a time and in the
// order the callers asked: a vendor's library need not be thread-safe, and the window's search,
// its device procedures, the editor's pages and concurrent downloads all share it.
//
// "libkvsetup.so" (Linux) or "kvsetup.dll" (Windows) is looked for in the program folder first,
// then through the system's library search path, so that a vendor's library with the same seven
// functions can replace the project's own. A program run on another folder (--home) looks there
// first and then beside its executable: the window and the command line load it the same way.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "manager/access/deviceaccess.h"

// The library's file name on this platform.
const char* KvLibraryFileName();

class TKvLibrary : public IDeviceAccess {
  public:
    // Loads the library and resolves its seven functions. On failure returns null and puts a
    // text naming the file (and the missing function) into *error when error is not null.
    static std::unique_ptr<TKvLibrary> Load(const std::string& programFolder, std::string* error);
    // The same, trying each folder in turn (empty ones are skipped) before the bare name.
    static std::unique_ptr<TKvLibrary> Load(const std::vector<std::string>& folders,
                                            std::string* error);
    // A program's library: the folder it runs on (--home; may be empty), then the folder of its
    // executable, then the bare name.
    static std::unique_ptr<TKvLibrary> LoadForProgram(const std::string& homeFolder,
                                                      const std::string& executableFolder,
                                                      std::string* error);

    ~TKvLibrary() override;
    TKvLibrary(const TKvLibrary&) = delete;
    TKvLibrary& operator=(const TKvLibrary&) = delete;

    // The file that was loaded: the program-folder path or the bare name.
    const std::string& FileName() const { return fileName_; }
    // Callers waiting for their turn while another call runs (for tests).
    int WaitingCalls() const;

    std::int32_t SearchAll(TDeviceRecord* records, std::int32_t* count) override;
    std::int32_t SearchOne(const std::string& ip, TDeviceRecord* record) override;
    std::int32_t Login(const std::string& ip, const TMacBytes& mac,
                       TDeviceCredentials* cred) override;
    std::int32_t Logout(const std::string& ip, const TMacBytes& mac,
                        TDeviceCredentials* cred) override;
    std::int32_t Reset(const std::string& ip, const TMacBytes& mac,
                       TDeviceCredentials* cred) override;
    std::int32_t ReadSetting(const std::string& ip, const TMacBytes& mac, std::uint8_t* block,
                             TDeviceCredentials* cred) override;
    std::int32_t WriteSetting(const std::string& ip, const TMacBytes& mac, std::uint8_t* block,
                              std::int32_t length, TDeviceCredentials* cred) override;

  private:
    struct Functions {
        decltype(&kv_search_all) searchAll;
        decltype(&kv_search_one) searchOne;
        decltype(&kv_login) login;
        decltype(&kv_logout) logout;
        decltype(&kv_reset) reset;
        decltype(&kv_read_setting2) readSetting;
        decltype(&kv_write_setting2) writeSetting;
    };

    TKvLibrary(void* handle, std::string fileName, const Functions& functions);
    // Runs one library call when the caller's turn has come.
    template <typename Call>
    std::int32_t InTurn(Call call);

    void* handle_;
    std::string fileName_;
    Functions fn_;
    // A ticket queue: callers are served strictly in the order they arrived.
    mutable std::mutex turnMutex_;
    std::condition_variable turnChanged_;
    std::uint64_t nextTicket_ = 0;
    std::uint64_t serving_ = 0;
};
