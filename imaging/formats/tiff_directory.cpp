// Reading of a TIFF file's header, directory chain and tag values. Offsets are taken relative to
// the stream position at entry; every value goes through the checked input, and an array is only
// allocated once its bytes are known to lie within the stream.
#include "imaging/formats/tiff_directory.h"

#include "imaging/imaging_init.h"
#include "imaging/pg_exceptions.h"
#include "imaging/pg_messages.h"

#include <QIODevice>

#include <algorithm>
#include <tuple>

void RaiseTiff(const QString& Text) { throw EPGTIFFileFormatReader(QStringLiteral("TIFF: ") + Text); }

namespace {

constexpr int EntrySize = 12;

class TiffInput {
public:
    TiffInput(QIODevice& stream)
        : In(stream, 4096, [] { RaiseTiff(GetMessageText(32)); }), Start(stream.pos()), Size(stream.size()) {}

    uint16_t U16() {
        const uint8_t a = In.Byte(), b = In.Byte();
        return uint16_t(Big ? (a << 8) | b : (b << 8) | a);
    }
    uint32_t U32() {
        uint8_t b[4];
        In.Read(b, 4);
        return Field(b, 4);
    }
    // A value of Size bytes (1, 2 or 4) in the file's byte order.
    uint32_t Field(const uint8_t* p, int size) const {
        uint32_t v = 0;
        for (int i = 0; i < size; ++i) v |= uint32_t(p[i]) << (8 * (Big ? size - 1 - i : i));
        return v;
    }
    // True when Count bytes from the relative offset lie within the stream.
    bool Holds(int64_t offset, int64_t count) const { return offset >= 0 && count >= 0 && Start + offset + count <= Size; }
    void SeekRelative(int64_t offset) { In.Seek(Start + offset); }

    TStreamByteReader In;
    int64_t Start;
    int64_t Size;
    bool Big = false;
};

int typeSize(uint16_t type) {
    switch (type) {
    case tiff_type::Byte: return 1;
    case tiff_type::Short: return 2;
    case tiff_type::Long: return 4;
    default: RaiseTiff(QStringLiteral("Unsupported field Type: ") + QString::number(type));
    }
}

// Up to Limit values of an entry (all of them when Limit is 0).
std::vector<uint32_t> readValues(TiffInput& input, const TTiffEntry& entry, uint32_t limit) {
    const int size = typeSize(entry.Type);
    const uint32_t count = limit ? std::min(entry.Count, limit) : entry.Count;
    std::vector<uint32_t> values;
    if (int64_t(entry.Count) * size <= 4) {
        for (uint32_t i = 0; i < count; ++i) values.push_back(input.Field(entry.Value + i * size, size));
        return values;
    }
    const int64_t offset = input.Field(entry.Value, 4);
    if (!input.Holds(offset, int64_t(count) * size)) RaiseTiff(GetMessageText(32));
    input.SeekRelative(offset);
    values.resize(count);
    for (uint32_t& v : values) v = size == 1 ? input.In.Byte() : size == 2 ? input.U16() : input.U32();
    return values;
}

const TTiffEntry* findEntry(const std::vector<TTiffEntry>& entries, uint16_t tag) {
    for (const TTiffEntry& e : entries)
        if (e.Tag == tag) return &e;
    return nullptr;
}

uint32_t single(TiffInput& input, const std::vector<TTiffEntry>& entries, uint16_t tag) {
    const TTiffEntry* e = findEntry(entries, tag);
    if (!e || e->Count == 0) return 0;
    return readValues(input, *e, 1)[0];
}

std::vector<uint32_t> array(TiffInput& input, const std::vector<TTiffEntry>& entries, uint16_t tag) {
    const TTiffEntry* e = findEntry(entries, tag);
    return e ? readValues(input, *e, 0) : std::vector<uint32_t>();
}

// Follows the chain from the first directory. Returns the image count and the offset of the
// wanted directory; a broken or overlong chain counts as one image with the first directory.
std::pair<int, int64_t> walkChain(TiffInput& input, int64_t first, int wanted) {
    int count = 0;
    int64_t found = first;
    for (int64_t offset = first; offset != 0;) {
        if (!input.Holds(offset, 2) || count >= TiffMaxImages) return {1, first};
        input.SeekRelative(offset);
        const int entries = input.U16();
        if (!input.Holds(offset + 2, int64_t(entries) * EntrySize + 4)) return {1, first};
        if (count == wanted) found = offset;
        ++count;
        input.SeekRelative(offset + 2 + int64_t(entries) * EntrySize);
        offset = input.U32();
    }
    return {std::max(count, 1), found};
}

}  // namespace

TTiffDirectory ReadTiffDirectory(QIODevice& Stream, int ImageIndex) {
    TiffInput input(Stream);
    TTiffDirectory d;
    d.FileStart = input.Start;
    uint8_t mark[4] = {};
    if (Stream.read(reinterpret_cast<char*>(mark), 4) != 4) RaiseTiff(QStringLiteral("Not a TIF file"));
    input.In.Seek(input.Start + 4);
    if (mark[0] == 'I' && mark[1] == 'I' && mark[2] == 42 && mark[3] == 0) input.Big = false;
    else if (mark[0] == 'M' && mark[1] == 'M' && mark[2] == 0 && mark[3] == 42) input.Big = true;
    else RaiseTiff(QStringLiteral("Not a TIF file"));
    d.BigEndian = input.Big;
    const int64_t first = input.U32();
    int64_t offset = first;
    if (TiffCountImages) std::tie(d.ImageCount, offset) = walkChain(input, first, ImageIndex);
    if (ImageIndex < 0 || ImageIndex >= d.ImageCount) RaiseTiff(FormatMessage1(7, QStringLiteral("Index")));
    if (!input.Holds(offset, 2)) RaiseTiff(GetMessageText(32));
    input.SeekRelative(offset);
    const int count = input.U16();
    if (!input.Holds(offset + 2, int64_t(count) * EntrySize)) RaiseTiff(GetMessageText(32));
    d.Entries.resize(size_t(count));
    for (TTiffEntry& e : d.Entries) {
        e.Tag = input.U16();
        e.Type = input.U16();
        e.Count = input.U32();
        input.In.Read(e.Value, 4);
    }
    using namespace tiff_tag;
    d.PlanarConfiguration = single(input, d.Entries, PlanarConfiguration);
    d.NewSubfileType = single(input, d.Entries, NewSubfileType);
    d.ImageWidth = single(input, d.Entries, ImageWidth);
    d.ImageLength = single(input, d.Entries, ImageLength);
    d.Compression = single(input, d.Entries, Compression);
    d.Photometric = single(input, d.Entries, Photometric);
    // Absent, both take the defaults of the format (one sample of one bit), which writers rely on
    // by leaving them out.
    d.SamplesPerPixel = findEntry(d.Entries, SamplesPerPixel) ? single(input, d.Entries, SamplesPerPixel) : 1;
    d.BitsPerSample = array(input, d.Entries, BitsPerSample);
    if (!findEntry(d.Entries, BitsPerSample) && d.SamplesPerPixel <= 4) d.BitsPerSample.assign(d.SamplesPerPixel, 1);
    d.StripOffsets = array(input, d.Entries, StripOffsets);
    d.RowsPerStrip = single(input, d.Entries, RowsPerStrip);
    d.ColorMap = array(input, d.Entries, ColorMap);
    return d;
}

void CheckTiffLayout(const TTiffDirectory& d) {
    if (d.PlanarConfiguration > 1) RaiseTiff(FormatMessage1(7, QStringLiteral("PlanarConfiguration")));
    const uint32_t samples = d.SamplesPerPixel;
    if (samples != 1 && samples != 3 && samples != 4) RaiseTiff(QStringLiteral("Invalid SamplesPerPixel"));
    if (d.BitsPerSample.size() != samples) RaiseTiff(QStringLiteral("Invalid count of SamplesPerPixel"));
    const auto& bits = d.BitsPerSample;
    const bool allEight = std::all_of(bits.begin(), bits.end(), [](uint32_t b) { return b == 8; });
    const bool accepted = (samples == 1 && (bits[0] == 1 || bits[0] == 4 || bits[0] == 8) && d.Photometric <= 3 &&
                           d.Photometric != 2) ||
                          (samples == 3 && allEight && d.Photometric == 2) ||
                          (samples == 4 && allEight && (d.Photometric == 2 || d.Photometric == 5));
    if (!accepted) RaiseTiff(QStringLiteral("Invalid SamplesPerPixel"));
    if (d.RowsPerStrip == 0 && d.StripOffsets.size() != 1) RaiseTiff(QStringLiteral("Invalid RowsPerStrip"));
}
