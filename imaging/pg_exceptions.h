#pragma once
// The exception family of the imaging library. Every failure of the library raises one of these,
// with a text taken from the message table (pg_messages.h).
#include <QString>

#include <stdexcept>

class EPixelGraphic : public std::runtime_error {
public:
    explicit EPixelGraphic(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

#define PG_DECLARE_EXCEPTION(Name)                                       \
    class Name : public EPixelGraphic {                                  \
    public:                                                              \
        explicit Name(const QString& message) : EPixelGraphic(message) {} \
    };

PG_DECLARE_EXCEPTION(EPGXYIndexOutOfRange)
PG_DECLARE_EXCEPTION(EPGNoPalette)
PG_DECLARE_EXCEPTION(EPGInvalidPaletteIndex)
PG_DECLARE_EXCEPTION(EPGCanWriteResolutionsEmpty)
PG_DECLARE_EXCEPTION(EPGCannotWriteColorRes)
PG_DECLARE_EXCEPTION(EPGFileFormatWritersEmpty)
PG_DECLARE_EXCEPTION(EPGUnknownExtension)
PG_DECLARE_EXCEPTION(EPGUnknownFileFormat)
PG_DECLARE_EXCEPTION(EPGUnknownClipboardFormat)
PG_DECLARE_EXCEPTION(EPGBMPFileFormatReader)
PG_DECLARE_EXCEPTION(EPGJPGFileFormatReaderWriter)
PG_DECLARE_EXCEPTION(EPGPNGFileFormatReaderWriter)
PG_DECLARE_EXCEPTION(EPGPCXFileFormatReader)
PG_DECLARE_EXCEPTION(EPGPxMFileFormatReader)
PG_DECLARE_EXCEPTION(EPGPxMFileFormatWriter)
PG_DECLARE_EXCEPTION(EPGTGAFileFormatReader)
PG_DECLARE_EXCEPTION(EPGTIFFileFormatReader)
PG_DECLARE_EXCEPTION(EPGTIFFileFormatWriter)
PG_DECLARE_EXCEPTION(EPGInvalidBitCountNum)
PG_DECLARE_EXCEPTION(EPGInvalidSize)

#undef PG_DECLARE_EXCEPTION
