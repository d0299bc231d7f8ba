// The format registry: reader and writer lists, reader probing, loading and saving by format.
#include "imaging/format_registry.h"

#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>

TFileFormatReaderList FileFormatReaders;
TFileFormatWriterList FileFormatWriters;
std::unique_ptr<TFileFormatReader> DefaultBMPReader;
std::unique_ptr<TFileFormatWriter> DefaultBMPWriter;

const uint8_t ResolutionFallback[8][8] = {
    {0, 1, 2, 3, 4, 5, 6, 7}, {1, 4, 6, 7, 3, 0, 2, 5}, {2, 4, 5, 6, 7, 3, 0, 1}, {3, 4, 6, 7, 2, 5, 0, 1},
    {4, 6, 7, 3, 2, 5, 0, 1}, {5, 6, 7, 2, 4, 3, 0, 1}, {6, 7, 4, 3, 5, 2, 0, 1}, {7, 6, 4, 3, 5, 2, 0, 1},
};

int ColorResolutionOf(const TPixelGraphic& Graphic) {
    switch (Graphic.GetPixelFormat()) {
    case PixelFormat1Bit: return Graphic.GetPaletteIdent() == pBlackWhite ? 0 : 1;
    case PixelFormat4Bit:
        if (Graphic.GetPaletteIdent() == pGray16) return 2;
        if (Graphic.GetPaletteIdent() == pSys16) return 3;
        return 4;
    case PixelFormat8Bit: return Graphic.GetPaletteIdent() == pGray256 ? 5 : 6;
    case PixelFormat24Bit: return 7;
    }
    return 7;
}

QString ColorResolutionText(int cls) { return GetMessageText(8 + std::clamp(cls, 0, 7)); }

bool TFileFormatReader::IsFormat(const uint8_t*) const { return false; }
void TFileFormatReader::Read(QIODevice&, TPixelGraphic&, int) {}
void TFileFormatReader::GetInfo(QIODevice&, int, TPGGraphicInfo& Info) { Info = TPGGraphicInfo(); }

void TFileFormatWriter::Write(QIODevice&, TPixelGraphic&) {}
void TFileFormatWriter::WriteHeader(QIODevice&, TPixelGraphic&) {}
void TFileFormatWriter::WriteImage(QIODevice&, TPixelGraphic&) {}
void TFileFormatWriter::WriteTrailer(QIODevice&, TPixelGraphic&) {}

void RegisterFileFormatReader(std::unique_ptr<TFileFormatReader> Reader) {
    FileFormatReaders.push_back(std::move(Reader));
}

void RegisterFileFormatWriter(std::unique_ptr<TFileFormatWriter> Writer) {
    FileFormatWriters.push_back(std::move(Writer));
}

namespace {

template <typename List>
void sortByExtension(List& list) {
    auto less = [](const auto& a, const auto& b) {
        return QString::compare(a->Extension.toLower(), b->Extension.toLower(), Qt::CaseSensitive) < 0;
    };
    if (std::is_sorted(list.begin(), list.end(), less)) return;
    std::stable_sort(list.begin(), list.end(), less);
}

QString dropDot(const QString& extension) { return extension.startsWith('.') ? extension.mid(1) : extension; }

}  // namespace

void SortFormatLists() {
    sortByExtension(FileFormatReaders);
    sortByExtension(FileFormatWriters);
}

QString GetFileExtension(const QString& FileName) {
    const QString name = QFileInfo(FileName).fileName();
    const int dot = name.lastIndexOf('.');
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

TFileFormatReader* FindFileFormatReader(QIODevice& Stream, const QString& Extension) {
    try {
        const QString extension = dropDot(Extension).toLower();
        uint8_t probe[TFileFormatReader::ProbeSize] = {};
        const qint64 position = Stream.pos();
        const qint64 got = Stream.read(reinterpret_cast<char*>(probe), sizeof probe);
        Stream.seek(position);
        if (got < 0) return nullptr;
        SortFormatLists();
        for (const auto& reader : FileFormatReaders)
            if (reader->HasSignature && reader->IsFormat(probe)) return reader.get();
        if (!extension.isEmpty())
            for (const auto& reader : FileFormatReaders)
                if (!reader->HasSignature && reader->Extension.toLower() == extension) return reader.get();
    } catch (...) {
    }
    return nullptr;
}

TFileFormatWriter* FindFileFormatWriter(const QString& Extension) {
    const QString extension = dropDot(Extension).toLower();
    SortFormatLists();
    for (const auto& writer : FileFormatWriters)
        if (writer->Extension.toLower() == extension) return writer.get();
    return nullptr;
}

void TPixelGraphic::LoadFromFile(const QString& FileName) {
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) throw EPixelGraphic(FormatMessage1(31, QStringLiteral("Open ") + FileName));
    LoadFromStreamExt(file, GetFileExtension(FileName), 0);
}

void TPixelGraphic::LoadFromStream(QIODevice& Stream) { LoadFromStreamExt(Stream, QString(), 0); }

void TPixelGraphic::LoadFromStreamExt(QIODevice& Stream, const QString& Extension, int ImageIndex) {
    LoadWithReader(Stream, [&] { return FindFileFormatReader(Stream, Extension); }, ImageIndex);
}

void TPixelGraphic::LoadWithReader(QIODevice& Stream, const std::function<TFileFormatReader*()>& FindReader,
                                   int ImageIndex) {
    BeginUpdate();
    try {
        SetSize(0, 0, PixelFormat24Bit);
        ImageGamma = DisplayGamma;
        TFileFormatReader* reader = FindReader();
        if (!reader) throw EPGUnknownFileFormat(GetMessageText(6));
        reader->Read(Stream, *this, ImageIndex);
        ApplyGammaCorrection();
        DetectPaletteIdent();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TPixelGraphic::ApplyGammaCorrection() {
    if (!GammaCorrection || DisplayGamma == 0) return;
    const long double exponent = ImageGamma / DisplayGamma;
    if (std::fabs(double(exponent - 1.0L)) <= 0.05) return;
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = uint8_t(std::nearbyint(double(255.0L * Power(i / 255.0L, exponent))));
    if (PixelFormat != PixelFormat24Bit) {
        for (int i = 0; i < PaletteCount; ++i) {
            const TColor c = Palette[size_t(i)];
            SetPaletteColor(i, pgRGB(table[pgRed(c)], table[pgGreen(c)], table[pgBlue(c)]));
        }
    } else if (Bits) {
        for (int y = 0; y < Height; ++y) {
            uint8_t* row = GetScanLine(y);
            for (int k = 0; k < Width * 3; ++k) row[k] = table[row[k]];
        }
    }
    ImageGamma = DisplayGamma;
}

void TPixelGraphic::SaveToFile(const QString& FileName) {
    const bool existed = QFileInfo::exists(FileName);
    try {
        SaveWithWriter(true, FileName, GetFileExtension(FileName), nullptr);
    } catch (...) {
        if (!existed) QFile::remove(FileName);
        throw;
    }
}

void TPixelGraphic::SaveToStreamExt(QIODevice& Stream, const QString& Extension) {
    SaveWithWriter(false, QString(), Extension, &Stream);
}

void TPixelGraphic::SaveToStream(QIODevice& Stream) {
    if (!DefaultBMPWriter) throw EPGUnknownExtension(FormatMessage1(19, QStringLiteral("bmp")));
    DefaultBMPWriter->Write(Stream, *this);
}

namespace {

void writeWith(TFileFormatWriter& writer, TPixelGraphic& graphic, bool toFile, const QString& fileName,
               QIODevice* stream) {
    if (!toFile) {
        writer.Write(*stream, graphic);
        return;
    }
    // Encoded in memory first, so that a writer that fails half-way, or a full disk, leaves the
    // file that was there whole.
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    writer.Write(encoded, graphic);
    if (!platform::writeFileAtomically(fileName, encoded.data()))
        throw EPixelGraphic(FormatMessage1(31, QStringLiteral("Write ") + fileName));
}

}  // namespace

void TPixelGraphic::SaveWithWriter(bool ToFile, const QString& FileName, const QString& Extension, QIODevice* Stream) {
    const QString extension = dropDot(Extension).toLower();
    SortFormatLists();
    if (FileFormatWriters.empty())
        throw EPGFileFormatWritersEmpty(FormatMessage1(16, QStringLiteral("FileFormatWriters")));
    TFileFormatWriter* writer = FindFileFormatWriter(extension);
    if (!writer) throw EPGUnknownExtension(FormatMessage1(19, extension));
    DetectPaletteIdent();
    const int cls = ColorResolutionOf(*this);
    int target = -1;
    for (int k = 0; k < 8; ++k)
        if (writer->CanWriteResolutions & ResolutionBit(ResolutionFallback[cls][k])) {
            target = ResolutionFallback[cls][k];
            break;
        }
    if (target < 0)
        throw EPGCanWriteResolutionsEmpty(FormatMessage1(16, writer->ClassName() + QStringLiteral(".CanWriteResolutions")));
    if (target == cls) {
        DetectPaletteIdent();
        writeWith(*writer, *this, ToFile, FileName, Stream);
        return;
    }
    const QString question =
        FormatMessage3(17, writer->Description, ColorResolutionText(cls), ColorResolutionText(target));
    const QString refusal = FormatMessage2(18, writer->Description, ColorResolutionText(cls));
    switch (ColorResolutionMode) {
    case 0: break;
    case 1: platform::messageBox(question, platform::MessageKind::Warning, platform::MessageButtons::OK); break;
    case 2:
        if (platform::messageBox(question, platform::MessageKind::Warning, platform::MessageButtons::OKCancel) !=
            platform::MessageResult::OK)
            throw EPGCannotWriteColorRes(refusal);
        break;
    default: throw EPGCannotWriteColorRes(refusal);
    }
    TPixelGraphic converted;
    converted.SetOnProgress(OnProgress);
    converted.SetOnProgressBegin(OnProgressBegin);
    converted.SetOnProgressEnd(OnProgressEnd);
    switch (target) {
    case 0: converted.SetSize(Width, Height, PixelFormat1Bit); converted.SetPaletteIdent(pBlackWhite); break;
    case 2: converted.SetSize(Width, Height, PixelFormat4Bit); converted.SetPaletteIdent(pGray16); break;
    case 3: converted.SetSize(Width, Height, PixelFormat4Bit); converted.SetPaletteIdent(pSys16); break;
    case 5: converted.SetSize(Width, Height, PixelFormat8Bit); converted.SetPaletteIdent(pGray256); break;
    case 1: converted.SetSize(Width, Height, PixelFormat1Bit); converted.ReduceColorsFrom(*this, 2, false); break;
    case 4: converted.SetSize(Width, Height, PixelFormat4Bit); converted.ReduceColorsFrom(*this, 16, false); break;
    case 6: converted.SetSize(Width, Height, PixelFormat8Bit); converted.ReduceColorsFrom(*this, 252, true); break;
    default: converted.SetSize(Width, Height, PixelFormat24Bit); break;
    }
    converted.StretchFrom(*this);
    converted.DetectPaletteIdent();
    writeWith(*writer, converted, ToFile, FileName, Stream);
}

int64_t TPixelGraphic::ReadWithProgress(QIODevice& Stream, char* Buffer, int64_t Count, bool& Abort) {
    if (Count < 101) return std::max<int64_t>(0, Stream.read(Buffer, Count));
    const int64_t piece = Count / 10;
    int64_t total = 0;
    for (int k = 1; k <= 10; ++k) {
        const int64_t size = k < 10 ? piece : Count - 9 * piece;
        const int64_t got = Stream.read(Buffer + total, size);
        if (got > 0) total += got;
        if (OnProgress) OnProgress(this, k, Abort, 10);
        if (Abort || got < size) break;
    }
    return total;
}

void TPixelGraphic::WriteData(QIODevice& Stream) {
    const qint64 lengthPos = Stream.pos();
    const char zero[4] = {0, 0, 0, 0};
    Stream.write(zero, 4);
    SaveToStream(Stream);
    const qint64 end = Stream.pos();
    const uint32_t length = uint32_t(end - lengthPos - 4);
    const char bytes[4] = {char(length), char(length >> 8), char(length >> 16), char(length >> 24)};
    Stream.seek(lengthPos);
    Stream.write(bytes, 4);
    Stream.seek(end);
}

void TPixelGraphic::ReadData(QIODevice& Stream) {
    unsigned char bytes[4] = {};
    if (Stream.read(reinterpret_cast<char*>(bytes), 4) != 4) throw EPixelGraphic(GetMessageText(32));
    const uint32_t length = uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) |
                            (uint32_t(bytes[3]) << 24);
    const qint64 position = Stream.pos();
    try {
        LoadWithReader(Stream, [] { return DefaultBMPReader.get(); }, 0);
    } catch (...) {
        Stream.seek(position + length);
        throw;
    }
    Stream.seek(position + length);
}

bool GetStreamGraphicInfo(QIODevice& Stream, const QString& Extension, int ImageIndex, QString& Description,
                          TPGGraphicInfo& Info) {
    Info = TPGGraphicInfo();
    Info.ImageCount = 0;
    Description.clear();
    TFileFormatReader* reader = FindFileFormatReader(Stream, Extension);
    if (!reader) return false;
    const qint64 position = Stream.pos();
    bool ok = false;
    try {
        Description = reader->Description;
        reader->GetInfo(Stream, ImageIndex, Info);
        ok = true;
    } catch (...) {
        ok = false;
    }
    Stream.seek(position);
    return ok;
}

bool GetGraphicFileInfo(const QString& FileName, int ImageIndex, QString& Description, TPGGraphicInfo& Info) {
    Info = TPGGraphicInfo();
    Info.ImageCount = 0;
    Description.clear();
    const QFileInfo fileInfo(FileName);
    if (fileInfo.fileName().isEmpty() || !fileInfo.isFile()) return false;
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) return false;
    return GetStreamGraphicInfo(file, GetFileExtension(FileName), ImageIndex, Description, Info);
}
