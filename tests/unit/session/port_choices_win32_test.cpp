// The choices from the registry's list of COM ports. The ports are written into a key of the
// test's own, made volatile (gone when the registry's server stops even if the test dies) and
// removed at the end, so the machine's real list is neither needed nor changed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/wide_text.h"
#include "session/port_choices.h"

namespace {

class CScratchComPortKey {
public:
    CScratchComPortKey()
        : name_("HARDWARE\\DEVICEMAP\\VANTFerrant test ports " + std::to_string(GetCurrentProcessId()))
    {
        created_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, WideFromUtf8(name_).c_str(), 0, nullptr,
                                   REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key_, nullptr) == ERROR_SUCCESS;
    }
    ~CScratchComPortKey()
    {
        if (!created_)
            return;
        RegCloseKey(key_);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, WideFromUtf8(name_).c_str());
    }
    CScratchComPortKey(const CScratchComPortKey&) = delete;
    CScratchComPortKey& operator=(const CScratchComPortKey&) = delete;

    bool Created() const { return created_; }
    const std::string& Name() const { return name_; }
    // Stores data under the value name as a driver would; bytes as given, terminator included
    // or not.
    void Set(const wchar_t* value, DWORD type, const void* data, DWORD bytes)
    {
        ASSERT_EQ(RegSetValueExW(key_, value, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    }
    void SetText(const wchar_t* value, const std::wstring& text)
    {
        Set(value, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

private:
    std::string name_;
    HKEY key_ = nullptr;
    bool created_ = false;
};

TEST(PortChoicesFromTheRegistry, RegisteredComPortsFollowInNumberOrderEachOnce)
{
    CScratchComPortKey key;
    ASSERT_TRUE(key.Created());
    key.SetText(L"\\Device\\Serial0", L"COM10");
    key.SetText(L"\\Device\\Serial1", L"COM2");
    key.SetText(L"\\Device\\VCP0", L"COM9");
    key.SetText(L"\\Device\\Serial2", L"com1");  // a fixed name, in other letters
    key.SetText(L"\\Device\\Serial3", L"COM1");
    key.SetText(L"\\Device\\CNC0", L"CNCA0");
    key.SetText(L"\\Device\\Empty", L"");
    // Not a port name: a number, and a string stored without its terminator filling the value.
    const DWORD number = 5;
    key.Set(L"\\Device\\Number", REG_DWORD, &number, sizeof number);
    const std::wstring unterminated = L"COM12";
    key.Set(L"\\Device\\Bare", REG_SZ, unterminated.data(), static_cast<DWORD>(unterminated.size() * sizeof(wchar_t)));

    CPresentPortSources sources;
    sources.comPortKey = key.Name();
    EXPECT_EQ(ListPresentSerialPorts(sources), (std::vector<std::string>{"CNCA0", "COM1", "COM2", "COM9", "COM10", "COM12", "com1"}));
    EXPECT_EQ(PortDialogChoices(sources),
              (std::vector<std::string>{"", "COM1", "COM2", "COM3", "COM4", "SIM", "CNCA0", "COM9", "COM10", "COM12"}));

    sources.comPortKey += "\\none";
    EXPECT_EQ(PortDialogChoices(sources).size(), 6u);
}

}  // namespace
