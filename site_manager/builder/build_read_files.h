#pragma once
// The files a build reads (templates, header and footer lists, the description file) and the
// pages it writes: a page written over one of them would destroy the user's file, and the pages
// after it would be made from the page instead.
#include <QList>
#include <QString>
#include <optional>

class PageGenerator;
struct BuildSettings;

// A file the build reads: what it is to the user ("template", "header list", ...) and its path
// as the build opens it.
struct BuildReadFile {
    QString Kind;
    QString Path;
};

// The files a build with these settings reads.
QList<BuildReadFile> filesTheBuildReads(const BuildSettings& settings);

// A page the build would write and the file it reads that the page is.
struct PageOverReadFile {
    QString Page;
    BuildReadFile Read;
};

// The first page of the build (image pages, then thumbnail pages) that is one of the files it
// reads: the same file on disk, whatever spelling or link leads to either.
std::optional<PageOverReadFile> pageOverReadFile(const PageGenerator& pages);
