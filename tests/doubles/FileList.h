// A host file list over fixed paths; an absent entry hands out a null path.
#pragma once

#include "plugin/HostInterfaces.h"

#include <optional>
#include <string>
#include <vector>

namespace TestDoubles
{

class CFileList final : public IImportFileList
{
public:
    explicit CFileList(std::vector<std::optional<std::wstring>> paths) : m_paths(std::move(paths))
    {
    }

    bool IsValid() override { return m_cursor < m_paths.size(); }
    void MoveNext() override { ++m_cursor; }
    const wchar_t* GetPath() override
    {
        const auto& path = m_paths.at(m_cursor);
        return path ? path->c_str() : nullptr;
    }
    void Reset() override
    {
        ++m_resets;
        m_cursor = 0;
    }

    int Resets() const { return m_resets; }

private:
    std::vector<std::optional<std::wstring>> m_paths;
    std::size_t m_cursor = 0;
    int m_resets = 0;
};

} // namespace TestDoubles
