// Server addresses the property editor remembers in "SysConfig.ini", section "Pelmora": the last
// non-empty text typed into each server box, offered again in that box's drop-down list.
#pragma once

#include <string>
#include <string_view>

constexpr std::string_view kManageServerKey = "ManageServerIP";
constexpr std::string_view kSipServerKey = "SipServerIP";
constexpr std::string_view kTimeServer1Key = "TimeServerIP1";
constexpr std::string_view kTimeServer2Key = "TimeServerIP2";
constexpr std::string_view kEventServerKey = "EventServerIP";

// The remembered text, blanks around it removed; empty when the file, the section or the key is
// missing or the file cannot be read.
std::string RememberedServer(const std::string& settingsFile, std::string_view key);

// Remembers text under key; every other key, section and comment of the file stays as it was. A
// file that exists but cannot be read is left alone, and a failed write keeps the old file: the
// address is then simply not remembered.
void RememberServer(const std::string& settingsFile, std::string_view key, std::string_view text);

// The management server address of the built-in defaults: the remembered "ManageServerIP", else
// "DefaultInterface" of section "PLAYER", else the first local interface address, else empty.
std::string DefaultManagementServer(const std::string& settingsFile);
