#pragma once

#include <string>
#include <vector>

// Which Qt a program links, read from its ELF file before it runs: the launcher offers the
// program the agent plug-in built for that Qt major version only.

// What the dynamic section of one ELF file names.
struct ElfDependencies
{
    std::vector<std::string> needed; // DT_NEEDED, in order
    std::string rpath;               // DT_RPATH, ':'-separated, $ORIGIN not yet expanded
    std::string runpath;             // DT_RUNPATH, likewise
};

// Reads the dynamic section of the ELF file at `path`: false for anything else (a script,
// an unreadable or truncated file, a foreign byte order). A statically linked executable
// gives true with no libraries.
bool readElfDependencies(const std::string &path, ElfDependencies *dependencies);

// The major version of a Qt library named "libQt<major><Module>.so...", 0 for any other.
int qtMajorOfLibrary(const std::string &fileName);

// The file execvp() would run for `program`: a name with a '/' as it is, otherwise the
// first executable of that name along PATH. Empty when there is none.
std::string resolveProgram(const std::string &program);

// Where the dynamic loader finds `library`, needed by the ELF file `neededBy` with
// `dependencies`: DT_RPATH (when there is no DT_RUNPATH), LD_LIBRARY_PATH, DT_RUNPATH,
// the folders of /etc/ld.so.conf and the default folders. Empty when it is nowhere.
std::string findLibrary(const std::string &library, const std::string &neededBy,
                        const ElfDependencies &dependencies);

// The Qt major version the program links, 0 when it cannot tell (a script, a program
// without Qt, a file it cannot read). The executable's own needed libraries are looked at
// first, then the libraries those need: many programs link Qt through a private library.
int programQtMajor(const std::string &program);
