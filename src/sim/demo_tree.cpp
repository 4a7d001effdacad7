#include "sim/demo_tree.h"

#include <string>

namespace sim {

namespace {

std::vector<uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// Deterministic filler of a given size, so a file spans several transfer blocks.
std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<uint8_t>(seed + i * 7);
    return data;
}

void Add(CMemoryFileSystem& fs, const std::string& path, const std::vector<uint8_t>& data)
{
    fs.WriteFile(*ParseDevicePath(path), data, EfsAttributeRecord{});
}

}  // namespace

std::unique_ptr<CMemoryFileSystem> MakeDemoFileSystem()
{
    auto fs = std::make_unique<CMemoryFileSystem>();
    fs->MakeDir(*ParseDevicePath("chess"));
    fs->MakeDir(*ParseDevicePath("data"));
    fs->MakeDir(*ParseDevicePath("data/logs"));
    Add(*fs, "chess.mif", Bytes("Module: chess\nVersion: 1.0\n"));
    Add(*fs, "chess/chess.mod", Pattern(1500, 0x11));
    Add(*fs, "chess/chess.sig", Pattern(128, 0x53));
    Add(*fs, "chess/chess.bar", Pattern(300, 0x27));
    Add(*fs, "notes.txt", Bytes("Virtual handset demo file system.\n"));
    Add(*fs, "data/settings.cfg", Bytes("volume=5\nbacklight=on\n"));
    Add(*fs, "data/logs/boot.log", Bytes("boot ok\n"));
    return fs;
}

}  // namespace sim
