// The rows of one kind of record in a dataset, in chunks of a fixed count. A million rows grow
// without copying those already held and without the unused half that a vector keeps after it
// doubled: a large job is read in less time and memory.
#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

namespace OrvaGdal
{

template <class Row> class CChunkedRows
{
public:
    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Row;
        using difference_type = std::ptrdiff_t;
        using pointer = const Row*;
        using reference = const Row&;

        const_iterator(const CChunkedRows& rows, std::size_t index) : m_rows(&rows), m_index(index)
        {
        }
        const Row& operator*() const { return (*m_rows)[m_index]; }
        const Row* operator->() const { return &(*m_rows)[m_index]; }
        const_iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return m_index == other.m_index; }
        bool operator!=(const const_iterator& other) const { return m_index != other.m_index; }

    private:
        const CChunkedRows* m_rows;
        std::size_t m_index;
    };

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    Row& operator[](std::size_t index) { return m_chunks[index / kChunk][index % kChunk]; }
    const Row& operator[](std::size_t index) const
    {
        return m_chunks[index / kChunk][index % kChunk];
    }
    const Row& back() const { return (*this)[m_size - 1]; }

    const_iterator begin() const { return const_iterator(*this, 0); }
    const_iterator end() const { return const_iterator(*this, m_size); }

    void push_back(const Row& row)
    {
        if (m_size == m_chunks.size() * kChunk)
            m_chunks.emplace_back(new Row[kChunk]);
        (*this)[m_size] = row;
        ++m_size;
    }

private:
    // A power of two, so that an index is split by shifts.
    static constexpr std::size_t kChunk = 4096;

    std::vector<std::unique_ptr<Row[]>> m_chunks;
    std::size_t m_size = 0;
};

} // namespace OrvaGdal
