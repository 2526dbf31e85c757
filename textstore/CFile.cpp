#include "CFile.h"

#include <algorithm>
#include <cstring>

std::size_t CMemFile::Read(void* buffer, std::size_t count) {
    const std::size_t n = std::min(count, m_bytes.size() - m_position);
    std::memcpy(buffer, m_bytes.data() + m_position, n);
    m_position += n;
    return n;
}

void CMemFile::Write(const void* buffer, std::size_t count) {
    m_bytes.append(static_cast<const char*>(buffer), count);
}
