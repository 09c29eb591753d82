// DrawingFile.h — drawings to and from DXF files.
//
// Saving never puts a drawing file at risk: the drawing is written to a temporary file beside
// the target, flushed to the disk, given the target's owner, group and permissions, and only
// then renamed over the target (an atomic step on a POSIX file system), after which the
// directory is synced too. A write that fails (disk full, file size limit, no permission) or
// a process killed while writing leaves the target as it was; a failure says so. SIGTERM,
// SIGHUP or SIGINT that end korcad during a save remove the temporary file first.
//
// Through a symbolic link the file it leads to is saved and the link stays. A save is refused,
// with a message, where the new file could not truly stand in for the old one: a file the
// user may not write, a read-only file, a file with several names (hard links, which the
// rename would part), a file whose owner and group the user cannot give the new one.
#pragma once

#include "drawing/Drawing.h"

#include <memory>
#include <string>

namespace korcad {

// Reads the DXF file at `path` into a drawing named after the file; an empty file is a new
// drawing saved there. Null with a message "PATH: reason" (naming the line, for a malformed
// file). Only a regular file is read (not a
// FIFO, a device or a directory), and only one whose size fits in memory; memory that runs
// out while reading is such a message too.
std::unique_ptr<Drawing> loadDrawing(const std::string& path, std::string* error);

// The bytes of a regular file, read whole as above; false with "cannot read PATH: reason".
bool readFileBytes(const std::string& path, std::string& bytes, std::string* error);

// How a save treats the file it replaces.
enum class SaveMode {
    SaveAs,  // SAVEAS, --save-as: the file named, whatever it holds
    Quick,   // QSAVE: only the drawing's own file, unchanged on disk since it was read or last
             // saved (same device, inode, size and modification time); a new drawing only
             // where no file is yet
};
// Writes the drawing to `path` as described above; then the drawing counts as saved, under
// that path and name. False with a message that names the file and says it is unchanged.
// Given `backupWarning`, the file replaced is first copied to its backup (below), once the
// checks above passed; a backup that cannot be made does not stop the save and is said there.
bool saveDrawing(Drawing& drawing, const std::string& path, std::string* error, SaveMode mode = SaveMode::SaveAs,
                 std::string* backupWarning = nullptr);

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
