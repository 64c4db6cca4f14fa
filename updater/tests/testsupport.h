// Helpers of the updater's tests: temporary folders, update files, agents on loopback.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/testnet.h"
#include "updater/updatejob.h"

namespace testsupport {

// A fresh folder under the system's temporary folder, removed at the end of the test.
class TempDir {
  public:
    TempDir() {
        std::random_device entropy;
        do {
            path_ = std::filesystem::temp_directory_path() /
                    ("vellup-test-" + std::to_string(entropy()));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A 1132-byte update header with the given texts (ASCII) and format mark.
inline std::array<std::uint8_t, kHeaderSize> MakeHeader(const std::string& version,
                                                        const std::string& deviceType,
                                                        const std::string& mark = "B32") {
    std::array<std::uint8_t, kHeaderSize> h{};
    std::memcpy(h.data(), mark.data(), 3);
    std::memcpy(h.data() + 8, version.data(), version.size());
    std::memcpy(h.data() + 40, deviceType.data(), deviceType.size());
    std::memcpy(h.data() + 72, "2026-03-01 12:00", 16);
    const char description[] = "First line\r\nSecond line";
    std::memcpy(h.data() + 88, description, sizeof description - 1);
    return h;
}

// An image of size bytes with a recognisable pattern; when it is long enough it begins with a
// copy of the header, as the simulated terminals expect of a simulated firmware.
inline std::vector<std::uint8_t> MakeImage(std::size_t size,
                                           const std::array<std::uint8_t, kHeaderSize>& header) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i)
        image[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
    if (size >= kHeaderSize) std::copy(header.begin(), header.end(), image.begin());
    return image;
}

// Writes an update file: header, padding to 4096, image.
inline void WriteUpdateFile(const std::filesystem::path& file,
                            const std::array<std::uint8_t, kHeaderSize>& header,
                            const std::vector<std::uint8_t>& image) {
    std::string bytes(reinterpret_cast<const char*>(header.data()), header.size());
    bytes.resize(kImageOffset, '\0');
    bytes.append(reinterpret_cast<const char*>(image.data()), image.size());
    WriteBytes(file, bytes);
}

// Host-order loopback address 127.N.b.c of this test process's block.
inline std::uint32_t Loopback(unsigned b, unsigned c) {
    return testnet::Address(b, c);
}

}  // namespace testsupport
