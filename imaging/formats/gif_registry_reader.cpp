// The registry's own GIF reader: walks the blocks of a GIF held in memory, decodes the wanted image
// straight into the graphic and gathers file information. Every read is checked against the end
// of the data; running past it ends the walk (or the decoding of the image) like any other damage.
#include "imaging/formats/gif_registry_reader.h"

#include "imaging/formats/gif_object_model.h"
#include "imaging/pixel_graphic.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

struct EndOfData {};    // a read past the end of the file
struct DamagedData {};  // data that cannot be decoded

struct tGifInfo {
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    QString Version;
    std::array<uint8_t, 768> GlobalTable{};
    int GlobalDepth = 0;
    int LoopCount = 1;
    int ImageCount = 0;
    bool AnyInterlaced = false;
    bool AnyTransparent = false;
};

struct tSubGifInfo {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool HasLocalTable = false;
    int LocalDepth = 0;
    int Depth = 0;
    int Colors = 0;
    bool Interlaced = false;
    std::array<uint8_t, 6> Control{};  // block size, packed flags, delay (2), transparent index, terminator
};

enum class Mode { Decode, Information };

class GifParser {
public:
    GifParser(const QByteArray& file, Mode mode, int wanted, TPixelGraphic* graphic)
        : File(file), TheMode(mode), Wanted(wanted), Graphic(graphic) {}

    // False when the data are not a GIF; the walk itself never fails the parse.
    bool Parse() {
        if (File.isEmpty()) return false;
        if (File.size() < 3 || std::memcmp(File.constData(), "GIF", 3) != 0) return false;
        Info.Version = (File.size() > 4 && File[4] == '7') ? QStringLiteral("87a") : QStringLiteral("89a");
        try {
            Position = 6;
            Info.ScreenWidth = Word();
            Info.ScreenHeight = Word();
            const uint8_t packed = Byte();
            Byte();  // background colour index
            Byte();  // aspect ratio
            if (packed & 0x80) {
                Info.GlobalDepth = (packed & 7) + 1;
                Copy(Info.GlobalTable.data(), (1 << Info.GlobalDepth) * 3);
            } else {
                Info.GlobalTable.fill(0);
                Info.GlobalDepth = 0;
            }
            Walk();
        } catch (const EndOfData&) {
        } catch (const DamagedData&) {
        }
        return true;
    }

    tGifInfo Info;
    tSubGifInfo Sub;
    int WantedWidth = 0, WantedHeight = 0;
    bool Abort = false;
    QByteArray Comment;

private:
    uint8_t Byte() {
        if (Position >= File.size()) throw EndOfData();
        return uint8_t(File[Position++]);
    }
    int Word() {
        const int lo = Byte();
        return lo | (Byte() << 8);
    }
    void Copy(uint8_t* target, int count) {
        if (Position + count > File.size()) throw EndOfData();
        if (target) std::memcpy(target, File.constData() + Position, size_t(count));
        Position += count;
    }
    void SkipSubBlocks() {
        for (uint8_t size = Byte(); size != 0; size = Byte()) Copy(nullptr, size);
    }

    void Walk() {
        while (!Abort && Position < File.size()) {
            const qint64 before = Position;
            const uint8_t introducer = Byte();
            if (introducer == 0x21) {
                Extension();
            } else if (introducer == 0x2C) {
                Image();
            } else if (introducer == 0x3B) {
                Position = File.size();
                return;
            } else {
                return;
            }
            if (Position == before) return;
        }
    }

    void Extension() {
        const qint64 labelAt = Position;
        const uint8_t label = Byte();
        switch (label) {
        case 0x01: SkipSubBlocks(); break;
        case 0xF9: Copy(Sub.Control.data(), 6); break;
        case 0xFE:
            Comment.clear();
            for (uint8_t size = Byte(); size != 0; size = Byte()) {
                if (Position + size > File.size()) throw EndOfData();
                Comment.append(File.constData() + Position, size);
                Position += size;
            }
            break;
        case 0xFF: {
            const uint8_t size = Byte();
            if (size == 11 && Position + 11 <= File.size() &&
                std::memcmp(File.constData() + Position, "NETSCAPE2.0", 11) == 0) {
                Position += 11;
                Byte();  // sub-block size
                Byte();  // sub-block identifier
                Info.LoopCount = Word();
                Byte();  // terminator
            } else {
                Copy(nullptr, size);
                SkipSubBlocks();
            }
            break;
        }
        default:
            // An unknown label: the walk stops at the extension.
            Position = labelAt - 1;
            break;
        }
    }

    void Image() {
        ++Info.ImageCount;
        const bool decodeThis = TheMode == Mode::Decode && Info.ImageCount == Wanted && !WantedHandled;
        Sub.Left = Word();
        Sub.Top = Word();
        Sub.Width = Word();
        Sub.Height = Word();
        const uint8_t packed = Byte();
        if (TheMode == Mode::Information && Info.ImageCount == Wanted) {
            WantedWidth = Sub.Width;
            WantedHeight = Sub.Height;
        }
        Sub.HasLocalTable = (packed & 0x80) != 0;
        std::array<uint8_t, 768> table = Info.GlobalTable;
        if (Sub.HasLocalTable) {
            Sub.LocalDepth = (packed & 7) + 1;
            Sub.Depth = Sub.LocalDepth;
            table.fill(0);
            Copy(table.data(), (1 << Sub.LocalDepth) * 3);
        } else {
            Sub.LocalDepth = 0;
            Sub.Depth = Info.GlobalDepth;
        }
        Sub.Colors = 1 << Sub.Depth;
        Sub.Interlaced = (packed & 0x40) != 0;
        if (decodeThis) {
            WantedHandled = true;
            DecodeImage(table);
        } else {
            Byte();  // code size
            SkipSubBlocks();
        }
        SkipZeros();
        Info.GlobalDepth = std::max(Info.GlobalDepth, Sub.LocalDepth);
        Info.AnyInterlaced = Info.AnyInterlaced || Sub.Interlaced;
        Info.AnyTransparent = Info.AnyTransparent || (Sub.Control[1] & 1) != 0;
        Sub.Control.fill(0);
    }

    void SkipZeros() {
        while (Position < File.size() && File[Position] == 0) ++Position;
    }

    void DecodeImage(const std::array<uint8_t, 768>& table) {
        const int depth = Sub.Depth;
        // The pixel format follows the colour table, whatever LZW code size the data use; pixel
        // values the format cannot hold become 0.
        const TPGPixelFormat format = depth <= 1 ? PixelFormat1Bit : depth <= 4 ? PixelFormat4Bit : PixelFormat8Bit;
        // Sizes no real GIF has are refused before anything is allocated.
        if (int64_t(Sub.Width) * Sub.Height > GIFMaxImagePixels) throw DamagedData();
        Graphic->SetSize(Sub.Width, Sub.Height, format);
        const int colours = std::max(1, 1 << depth);
        Graphic->SetPaletteCount(colours);
        for (int i = 0; i < colours; ++i)
            Graphic->SetPaletteColor(i, pgRGB(table[size_t(i) * 3], table[size_t(i) * 3 + 1], table[size_t(i) * 3 + 2]));
        const int formatColours = format == PixelFormat1Bit ? 2 : format == PixelFormat4Bit ? 16 : 256;
        int largest = 0;
        try {
            DecodePixels(format, formatColours, largest);
        } catch (...) {
            CoverPixels(largest, colours, formatColours, table);
            throw;
        }
        CoverPixels(largest, colours, formatColours, table);
    }

    // Pixels beyond the image's colour table get palette entries of their own (black beyond the
    // table), so every pixel has a colour.
    void CoverPixels(int largest, int colours, int formatColours, const std::array<uint8_t, 768>& table) {
        if (largest < colours || largest >= formatColours) return;
        Graphic->SetPaletteCount(largest + 1);
        for (int i = colours; i <= largest; ++i)
            Graphic->SetPaletteColor(i, pgRGB(table[size_t(i) * 3], table[size_t(i) * 3 + 1], table[size_t(i) * 3 + 2]));
    }

    // ---- LZW ----
    static constexpr int TableSize = 4096;

    int NextCode() {
        while (BitCount < CodeSize) {
            if (BlockLeft == 0) {
                if (Exhausted) return -1;
                BlockLeft = Byte();
                if (BlockLeft == 0) {
                    Exhausted = true;
                    ZeroBlockMet = true;
                    return -1;
                }
            }
            Accumulator |= uint32_t(Byte()) << BitCount;
            BitCount += 8;
            --BlockLeft;
        }
        const int code = int(Accumulator & ((1u << CodeSize) - 1));
        Accumulator >>= CodeSize;
        BitCount -= CodeSize;
        return code;
    }

    void ResetTables() {
        Prefix.fill(0);
        Suffix.fill(0);
        for (int i = 0; i < ClearCode; ++i) Suffix[size_t(i)] = uint16_t(i);
        CodeSize = InitialSize + 1;
        NextFree = ClearCode + 2;
        Limit = ClearCode * 2;
    }

    void SkipToTerminator() {
        if (ZeroBlockMet) return;
        if (BlockLeft > 0) Copy(nullptr, BlockLeft);
        BlockLeft = 0;
        SkipSubBlocks();
        ZeroBlockMet = true;
    }

    // The next pixel value, or -1 when the data end.
    int NextPixel() {
        if (StackTop > 0) return Stack[size_t(--StackTop)];
        int code = NextCode();
        if (code < 0) return -1;
        if (code == ClearCode || !Started) {
            while (code == ClearCode) {
                ResetTables();
                code = NextCode();
            }
            Started = true;
            if (code < 0) return -1;
            if (code == EndCode) {
                SkipToTerminator();
                return -1;
            }
            if (code > ClearCode) throw DamagedData();
            OldCode = FirstCode = code;
            return code;
        }
        if (code == EndCode) {
            SkipToTerminator();
            return -1;
        }
        const int incoming = code;
        if (code >= NextFree) {
            Push(FirstCode);
            code = OldCode;
        }
        while (code > ClearCode) {
            Push(Suffix[size_t(code)]);
            code = Prefix[size_t(code)];
        }
        FirstCode = Suffix[size_t(code)];
        Push(FirstCode);
        if (NextFree < TableSize) {
            Prefix[size_t(NextFree)] = uint16_t(OldCode);
            Suffix[size_t(NextFree)] = uint16_t(FirstCode);
            ++NextFree;
            if (NextFree >= Limit && Limit < TableSize) {
                Limit *= 2;
                ++CodeSize;
            }
        }
        OldCode = incoming;
        return Stack[size_t(--StackTop)];
    }

    void Push(int value) {
        // A chain longer than the table can only be a loop in damaged data.
        if (StackTop >= TableSize) throw DamagedData();
        Stack[size_t(StackTop++)] = uint16_t(value);
    }

    void StorePixel(uint8_t* row, int x, int value, TPGPixelFormat format, int formatColours, int& largest) {
        if (value >= formatColours) value = 0;
        largest = std::max(largest, value);
        switch (format) {
        case PixelFormat1Bit:
            if (value) row[x / 8] |= uint8_t(0x80 >> (x % 8));
            else row[x / 8] &= uint8_t(~(0x80 >> (x % 8)));
            break;
        case PixelFormat4Bit:
            if (x % 2 == 0) row[x / 2] = uint8_t((row[x / 2] & 0x0F) | (value << 4));
            else row[x / 2] = uint8_t((row[x / 2] & 0xF0) | value);
            break;
        default: row[x] = uint8_t(value); break;
        }
    }

    void DecodePixels(TPGPixelFormat format, int formatColours, int& largest) {
        InitialSize = Byte();
        if (InitialSize > 11) throw DamagedData();
        ClearCode = 1 << InitialSize;
        EndCode = ClearCode + 1;
        ResetTables();
        const int width = Sub.Width, height = Sub.Height;
        int row = 0, pass = 0;
        static const int step[4] = {8, 8, 4, 2};
        static const int passStart[4] = {0, 4, 2, 1};
        bool ended = width < 1 || height < 1;
        while (!ended && row < height) {
            uint8_t* line = Graphic->GetScanLine(row);
            for (int x = 0; x < width; ++x) {
                const int pixel = NextPixel();
                if (pixel < 0) {
                    ended = true;
                    break;
                }
                StorePixel(line, x, pixel, format, formatColours, largest);
            }
            if (ended) break;
            ++RowsDone;
            Graphic->FireProgress(RowsDone, Abort, height - 1);
            if (Abort) return;
            if (!Sub.Interlaced) {
                ++row;
            } else {
                row += step[pass];
                while (row >= height) {
                    if (++pass > 3) return Drain();
                    row = passStart[pass];
                }
            }
        }
        Drain();
    }

    // The codes left after the last row are read and dropped until the data end.
    void Drain() {
        while (NextPixel() >= 0) {
        }
        SkipToTerminator();
    }

    const QByteArray& File;
    Mode TheMode;
    int Wanted;
    TPixelGraphic* Graphic;
    qint64 Position = 0;
    bool WantedHandled = false;

    std::array<uint16_t, TableSize> Prefix{};
    std::array<uint16_t, TableSize> Suffix{};
    std::array<uint16_t, TableSize> Stack{};
    int StackTop = 0;
    int InitialSize = 0, ClearCode = 0, EndCode = 0, CodeSize = 0, NextFree = 0, Limit = 0;
    int OldCode = 0, FirstCode = 0;
    bool Started = false;
    uint32_t Accumulator = 0;
    int BitCount = 0;
    int BlockLeft = 0;
    bool Exhausted = false, ZeroBlockMet = false;
    int RowsDone = 0;
};

QByteArray readWhole(QIODevice& Stream) { return Stream.readAll(); }

}  // namespace

tGifFileFormatReader::tGifFileFormatReader() {
    Extension = QStringLiteral("gif");
    Description = QStringLiteral("GIF");
    ShowInFilter = true;
    HasSignature = true;
}

bool tGifFileFormatReader::IsFormat(const uint8_t* Header) const {
    return Header[0] == 'G' && Header[1] == 'I' && Header[2] == 'F';
}

void tGifFileFormatReader::Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) {
    Graphic.FireProgressBegin();
    try {
        const QByteArray file = readWhole(Stream);
        auto parser = std::make_unique<GifParser>(file, Mode::Decode, ImageIndex + 1, &Graphic);
        parser->Parse();
    } catch (...) {
        // Reading reports nothing: the graphic keeps what was decoded.
    }
    Graphic.FireProgressEnd();
}

void tGifFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) {
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    const QByteArray file = readWhole(Stream);
    auto parser = std::make_unique<GifParser>(file, Mode::Information, ImageIndex + 1, nullptr);
    if (!parser->Parse()) throw EPixelGraphic(QStringLiteral("Not a proper GIF file"));
    if (ImageIndex + 1 < 1 || ImageIndex + 1 > parser->Info.ImageCount)
        throw EPixelGraphic(QStringLiteral("Index out of bounds"));
    Info.Width = parser->WantedWidth;
    Info.Height = parser->WantedHeight;
    Info.ColorsText = QString::number(parser->Sub.Colors);
    Info.BitCount = parser->Sub.Depth;
    Info.ImageCount = parser->Info.ImageCount;
    Info.Details = parser->Info.AnyInterlaced ? QStringLiteral("Interlaced") : QStringLiteral("Non-interlaced");
    Info.SubFormat = parser->Info.Version;
}

void RegisterGifReader() {
    for (const auto& reader : FileFormatReaders)
        if (dynamic_cast<tGifFileFormatReader*>(reader.get())) return;
    RegisterFileFormatReader(std::make_unique<tGifFileFormatReader>());
}
