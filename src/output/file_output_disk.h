// Which disk and clock a file output works on: the process's real ones,
// unless the library points it at another (one that refuses renames, fills
// up or moves the clock on command).
#pragma once

#include "platform/file_system.h"
#include "qmerrlog/outputs.h"

struct QmFileOutputDisk {
    // Before Open; the disk must outlive the output and its backups'
    // compression. False for an output without state (no memory).
    static bool Use(CQmFileOutput& output, qm::FileSystem* disk);
};
