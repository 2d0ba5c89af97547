#include "parse/crc16.h"

#include <QtEndian>

#include <array>

namespace tavimo {

namespace {

constexpr quint16 kReflectedPolynomial = 0xa001;

// Eight tables, so eight bytes are folded in per step (slicing by eight):
// table k gives the CRC of a byte followed by k zero bytes.
using Tables = std::array<std::array<quint16, 256>, 8>;

constexpr Tables MakeTables()
{
    Tables tables{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        quint16 crc = quint16(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? quint16((crc >> 1) ^ kReflectedPolynomial) : quint16(crc >> 1);
        tables[0][byte] = crc;
    }
    for (size_t k = 1; k < tables.size(); ++k) {
        for (unsigned byte = 0; byte < 256; ++byte) {
            const quint16 previous = tables[k - 1][byte];
            tables[k][byte] = quint16((previous >> 8) ^ tables[0][previous & 0xff]);
        }
    }
    return tables;
}

constexpr Tables kTables = MakeTables();

} // namespace

quint16 Crc16(quint16 crc, const uchar *data, qint64 size)
{
    while (size >= 8) {
        // The first byte is the lowest, where the running CRC is folded in.
        const quint64 word = qFromLittleEndian<quint64>(data) ^ crc;
        crc = quint16(kTables[7][word & 0xff] ^ kTables[6][(word >> 8) & 0xff] ^ kTables[5][(word >> 16) & 0xff] ^
                      kTables[4][(word >> 24) & 0xff] ^ kTables[3][(word >> 32) & 0xff] ^
                      kTables[2][(word >> 40) & 0xff] ^ kTables[1][(word >> 48) & 0xff] ^ kTables[0][word >> 56]);
        data += 8;
        size -= 8;
    }
    for (; size > 0; --size, ++data)
        crc = quint16((crc >> 8) ^ kTables[0][(crc ^ *data) & 0xff]);
    return crc;
}

} // namespace tavimo
