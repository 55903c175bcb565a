// A growing array of elements that never move: they sit in blocks of a fixed power of two, so
// that growing costs a block and no copy, and finding an element is a shift and a mask, where a
// std::deque (whose blocks suit small counts) works out its position by divisions with signs.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

template <class T, std::size_t kBlockShift> class CBlockArray
{
public:
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    T& operator[](std::size_t index) { return m_blocks[index >> kBlockShift][index & kMask]; }
    const T& operator[](std::size_t index) const
    {
        return m_blocks[index >> kBlockShift][index & kMask];
    }

    // A new element at the end, value-initialised.
    T& emplace_back()
    {
        if ((m_size >> kBlockShift) == m_blocks.size())
            m_blocks.emplace_back(new T[kBlock]());
        T& added = (*this)[m_size];
        ++m_size;
        return added;
    }

private:
    static constexpr std::size_t kBlock = std::size_t{1} << kBlockShift;
    static constexpr std::size_t kMask = kBlock - 1;

    std::vector<std::unique_ptr<T[]>> m_blocks;
    std::size_t m_size = 0;
};
