// Builds zip archives in memory, so tests can take them apart field by field
// (the system's zip tools write only well-formed ones).
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include <zlib.h>

struct ZipMemberSpec {
    std::string name;
    std::string data;
    uint16_t method = 8;                  // 0 stored, 8 deflated
    uint32_t externalAttributes = 0x20;   // MS-DOS byte in the low 8 bits
    uint16_t versionMadeBy = 20;          // high byte 0: MS-DOS attributes valid
};

struct ZipLayout {
    std::string bytes;
    std::vector<size_t> localOffsets;     // file offsets of each local header
    std::vector<size_t> centralOffsets;   // file offsets of each central record
    size_t endOffset = 0;                 // file offset of the end record
};

inline std::string RawDeflate(const std::string& data, int level = 6)
{
    z_stream s{};
    deflateInit2(&s, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&s, uLong(data.size())) + 16, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = uInt(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

inline void Put16(std::string& b, size_t at, uint32_t v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}
inline void Put32(std::string& b, size_t at, uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}
inline void Add16(std::string& b, uint32_t v) { b.append(2, '\0'); Put16(b, b.size() - 2, v); }
inline void Add32(std::string& b, uint32_t v) { b.append(4, '\0'); Put32(b, b.size() - 4, v); }

// `front` is written before the archive, which keeps its offsets relative to
// its own start (as when an archive is appended to another file).
inline ZipLayout BuildZip(const std::vector<ZipMemberSpec>& members, const std::string& comment = "",
                          const std::string& front = "")
{
    ZipLayout z;
    z.bytes = front;
    std::vector<std::string> packed;
    for (const ZipMemberSpec& m : members) {
        std::string data = m.method == 8 ? RawDeflate(m.data) : m.data;
        uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), uInt(m.data.size())));
        z.localOffsets.push_back(z.bytes.size());
        Add32(z.bytes, 0x04034B50); Add16(z.bytes, 20); Add16(z.bytes, 0); Add16(z.bytes, m.method);
        Add16(z.bytes, 0x6000); Add16(z.bytes, 0x5A21);   // 12:00:00, 2025-01-01
        Add32(z.bytes, crc); Add32(z.bytes, uint32_t(data.size())); Add32(z.bytes, uint32_t(m.data.size()));
        Add16(z.bytes, uint32_t(m.name.size())); Add16(z.bytes, 0);
        z.bytes += m.name;
        z.bytes += data;
        packed.push_back(data);
    }
    size_t central = z.bytes.size();
    for (size_t i = 0; i < members.size(); ++i) {
        const ZipMemberSpec& m = members[i];
        uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), uInt(m.data.size())));
        z.centralOffsets.push_back(z.bytes.size());
        Add32(z.bytes, 0x02014B50); Add16(z.bytes, m.versionMadeBy); Add16(z.bytes, 20); Add16(z.bytes, 0);
        Add16(z.bytes, m.method); Add16(z.bytes, 0x6000); Add16(z.bytes, 0x5A21);
        Add32(z.bytes, crc); Add32(z.bytes, uint32_t(packed[i].size())); Add32(z.bytes, uint32_t(m.data.size()));
        Add16(z.bytes, uint32_t(m.name.size())); Add16(z.bytes, 0); Add16(z.bytes, 0); Add16(z.bytes, 0);
        Add16(z.bytes, 0); Add32(z.bytes, m.externalAttributes);
        Add32(z.bytes, uint32_t(z.localOffsets[i] - front.size()));
        z.bytes += m.name;
    }
    size_t size = z.bytes.size() - central;
    z.endOffset = z.bytes.size();
    Add32(z.bytes, 0x06054B50); Add16(z.bytes, 0); Add16(z.bytes, 0);
    Add16(z.bytes, uint32_t(members.size())); Add16(z.bytes, uint32_t(members.size()));
    Add32(z.bytes, uint32_t(size)); Add32(z.bytes, uint32_t(central - front.size()));
    Add16(z.bytes, uint32_t(comment.size()));
    z.bytes += comment;
    return z;
}
