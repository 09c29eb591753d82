// DrawingFile.h — drawings to and from DXF files.
//
// Saving never puts a drawing file at risk: the drawing is written to a temporary file beside
// the target, flushed to the disk, given the target's permissions, and only then renamed
// over the target (an atomic step on a POSIX file system), after which the directory is
// synced too. A write that fails (disk full, file size limit, no permission) or a process
// killed while writing leaves the target as it was; a failure says so.
#pragma once

#include "Drawing.h"

#include <memory>
#include <string>

namespace korcad {

// Reads the DXF file at `path` into a drawing named after the file. Null with a message that
// names the file (and the line, for a malformed file).
std::unique_ptr<Drawing> loadDrawing(const std::string& path, std::string* error);

// The bytes of a file, read whole; false with a message naming the file.
bool readFileBytes(const std::string& path, std::string& bytes, std::string* error);

// Writes the drawing to `path` as described above; then the drawing counts as saved, under
// that path and name. False with a message that names the file and says it is unchanged.
bool saveDrawing(Drawing& drawing, const std::string& path, std::string* error);

// Where QSAVE writes a drawing: the file it came from or was last saved to; for a new
// drawing its name with the extension .dxf, in the current directory.
std::string savePath(const Drawing& drawing);

// The backup of a drawing file: beside it, its name with the extension .bak (netz.dxf ->
// netz.bak), as CAD programs keep one.
std::string backupPath(const std::string& path);
// Copies the file at `path`, as it is before a save replaces it, to its backup (replacing an
// older one). Nothing to do, and true, when there is no file yet. False with a message that
// names the backup and says why.
bool keepBackup(const std::string& path, std::string* error);

}  // namespace korcad
