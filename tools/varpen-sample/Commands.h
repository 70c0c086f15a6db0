// Subcommands of varpen-sample. Each takes its arguments after the subcommand name and returns
// the process exit code.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>
#include <vector>

#include "tools/varpen-sample/LocalFolder.h"
#include "tools/varpen-sample/SampleGen.h"

struct FolderOptions {
    int channels = 4;
    int first_channel = 1;
    QDate start_date{2024, 1, 30};
    int days = 2;
    QTime first_time{10, 0, 0};
    int segments_per_day = 3;
    int segment_length_s = 60;
    int gap_s = 10;
    std::vector<unsigned> record_types{1};
    QString source_name = QStringLiteral("NVR");
    int source_number = 1;
    int jobs = 1;                    // segments encoded at once; the bytes do not depend on it
    SampleGen::SegmentParams video;  // picture, rate, keyframes, B-frames, audio, container
    // Every segment file damaged so, its index entries kept: a copy that went wrong.
    LocalFolder::FileDamage broken_segments = LocalFolder::FileDamage::None;
};

// Writes a local recording folder with its index files and manifest.json under `out`.
bool WriteFolder(const QString& out, const FolderOptions& options, QString* error);

int RunFolderCommand(const QStringList& args);
int RunBrokenCommand(const QStringList& args);
int RunDiskCommand(const QStringList& args);  // DiskMode.cpp
