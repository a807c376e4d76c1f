#include "file/itemreader.h"

#include <QIODevice>

namespace {
constexpr qint64 BlockBytes = 64 * 1024;
} // namespace

ItemReader::ItemReader(QIODevice *device, qsizetype maxItemBytes)
    : m_device(device)
    , m_maxItemBytes(maxItemBytes)
{
}

bool ItemReader::fill()
{
    if (m_pos < m_buffer.size())
        return true;
    if (m_deviceDone)
        return false;
    m_buffer = m_device->read(BlockBytes);
    m_pos = 0;
    if (m_buffer.isEmpty()) {
        m_deviceDone = true;
        // read() gives an empty block both at the end and on failure; tell them apart.
        m_readError = !m_device->atEnd();
        return false;
    }
    return true;
}

std::optional<char> ItemReader::peek()
{
    if (!fill())
        return std::nullopt;
    return m_buffer.at(m_pos);
}

void ItemReader::advance()
{
    const char c = m_buffer.at(m_pos++);
    if (c == '\r' || (c == '\n' && !m_afterCr))
        ++m_line;
    m_afterCr = c == '\r';
}

bool ItemReader::atEnd()
{
    return !peek().has_value();
}

ItemReader::Result ItemReader::next()
{
    QByteArray item;
    bool tooLong = false;
    auto keep = [&](char c) {
        if (item.size() < m_maxItemBytes)
            item += c;
        else
            tooLong = true;
    };
    auto endsItem = [](char c) { return c == ',' || c == '\r' || c == '\n'; };

    if (!peek()) {
        return {m_readError ? Status::ReadError : Status::End, {}};
    }
    m_itemLine = m_line;
    while (peek() == ' ' || peek() == '\t')
        advance();

    if (peek() == '"') {
        advance();
        while (auto c = peek()) {
            advance();
            if (*c == '"')
                break;
            keep(*c);
            if (tooLong)
                return {Status::TooLong, {}};
        }
        // Anything between the closing quote and the separator is not part of the item.
        while (auto c = peek()) {
            if (endsItem(*c))
                break;
            advance();
        }
    } else {
        while (auto c = peek()) {
            if (endsItem(*c))
                break;
            advance();
            keep(*c);
            if (tooLong)
                return {Status::TooLong, {}};
        }
    }

    // Consume the separator: a comma, or a line end (CR LF, or a lone CR or LF).
    if (auto c = peek()) {
        advance();
        if (*c == '\r' && peek() == '\n')
            advance();
    }
    if (m_readError)
        return {Status::ReadError, {}};
    return {Status::Item, item};
}
