#pragma once

#include <QByteArray>

#include <optional>

class QIODevice;

// Reads the comma- and line-separated items of the tool's text files (the settings file and
// system.ini): an item runs to the next comma or line end, leading blanks are skipped and
// surrounding double quotes are dropped; an empty line is an empty item.
//
// Reads the device in blocks, so a huge file costs time in proportion to what is read and
// memory in proportion to one item. An item longer than the limit is reported as too long.
class ItemReader
{
public:
    explicit ItemReader(QIODevice *device, qsizetype maxItemBytes = 4096);

    enum class Status { Item, End, TooLong, ReadError };
    struct Result
    {
        Status status;
        QByteArray item;
    };

    Result next();
    bool atEnd();
    // The line, from 1, on which the item last returned by next() begins.
    int itemLine() const { return m_itemLine; }

private:
    std::optional<char> peek();
    void advance();
    bool fill();

    QIODevice *m_device;
    qsizetype m_maxItemBytes;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_deviceDone = false;
    bool m_readError = false;
    int m_line = 1;
    int m_itemLine = 0;
    bool m_afterCr = false;  // CR LF is one line end
};
