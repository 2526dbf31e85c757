#include "CArchive.h"

CArchive::~CArchive() {
    try {
        Flush();
    } catch (const CFileException&) {
        // Close() is where a caller learns of a failed write; a destructor cannot report.
    }
}

void CArchive::Write(const void* buffer, std::size_t count) {
    if (m_buffer.capacity() == 0)
        m_buffer.reserve(kBufferSize);
    if (m_buffer.size() + count > kBufferSize) {
        Flush();
        if (count >= kBufferSize) {
            m_file->Write(buffer, count);
            return;
        }
    }
    const auto* in = static_cast<const char*>(buffer);
    m_buffer.insert(m_buffer.end(), in, in + count);
}

void CArchive::Flush() {
    if (m_buffer.empty())
        return;
    // Emptied whatever the write does, so that a failed write is not retried by the
    // destructor.
    struct Empty {
        std::vector<char>& bytes;
        ~Empty() { bytes.clear(); }
    } empty{m_buffer};
    m_file->Write(m_buffer.data(), m_buffer.size());
}

void CArchive::Close() {
    Flush();
}
