// Files that a test writes for the driver to read, removed when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace PluginTests
{

class CTestDirectory
{
public:
    CTestDirectory()
    {
        // Test programs may run at once: a name that exists already is not taken.
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        do
            m_path = base / ("orva-plugin-test-" + std::to_string(random()));
        while (!std::filesystem::create_directory(m_path));
    }
    ~CTestDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTestDirectory(const CTestDirectory&) = delete;
    CTestDirectory& operator=(const CTestDirectory&) = delete;

    // Writes the bytes, exactly, to a file of that name and returns its wide path.
    std::wstring Write(const std::string& name, const std::string& bytes) const
    {
        const auto path = m_path / name;
        std::ofstream file(path, std::ios::binary);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.wstring();
    }

    // The wide path of a file of that name that is not written.
    std::wstring Missing(const std::string& name) const { return (m_path / name).wstring(); }

    std::wstring Path() const { return m_path.wstring(); }

private:
    std::filesystem::path m_path;
};

} // namespace PluginTests
