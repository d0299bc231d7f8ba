#pragma once
// The portable any-map formats: one reader for all six variants (P1..P6, text and binary) and one
// writer that writes PBM, PGM or PPM by its extension, in text form or, with PxMWriteBinary, in
// binary form. Three registered subclasses of each give the extensions "pbm", "pgm" and "ppm".
#include "imaging/format_registry.h"

class TPxMFileFormatReader : public TFileFormatReader {
public:
    TPxMFileFormatReader();
    QString ClassName() const override { return QStringLiteral("TPxMFileFormatReader"); }
    bool IsFormat(const uint8_t* Header) const override;
    void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) override;
    void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) override;

protected:
    // The two magic digits this subclass claims when probing ('1' and '4' for PBM, ...).
    char TextDigit = 0;
    char BinaryDigit = 0;
};

class TPBMFileFormatReader : public TPxMFileFormatReader {
public:
    TPBMFileFormatReader();
    QString ClassName() const override { return QStringLiteral("TPBMFileFormatReader"); }
};

class TPGMFileFormatReader : public TPxMFileFormatReader {
public:
    TPGMFileFormatReader();
    QString ClassName() const override { return QStringLiteral("TPGMFileFormatReader"); }
};

class TPPMFileFormatReader : public TPxMFileFormatReader {
public:
    TPPMFileFormatReader();
    QString ClassName() const override { return QStringLiteral("TPPMFileFormatReader"); }
};

class TPXMFileFormatWriter : public TFileFormatWriter {
public:
    QString ClassName() const override { return QStringLiteral("TPXMFileFormatWriter"); }
    void Write(QIODevice& Stream, TPixelGraphic& Graphic) override;
};

class TPBMFileFormatWriter : public TPXMFileFormatWriter {
public:
    TPBMFileFormatWriter();
    QString ClassName() const override { return QStringLiteral("TPBMFileFormatWriter"); }
};

class TPGMFileFormatWriter : public TPXMFileFormatWriter {
public:
    TPGMFileFormatWriter();
    QString ClassName() const override { return QStringLiteral("TPGMFileFormatWriter"); }
};

class TPPMFileFormatWriter : public TPXMFileFormatWriter {
public:
    TPPMFileFormatWriter();
    QString ClassName() const override { return QStringLiteral("TPPMFileFormatWriter"); }
};
