#include "qtlinkage.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <fstream>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bounds that keep a damaged file from making the launcher read without end.
const size_t maxProgramHeaders = 4096;
const size_t maxDynamicEntries = 65536;
const size_t maxStringTable = 16 * 1024 * 1024;
const int maxConfigDepth = 8;

class File
{
public:
    explicit File(const std::string &path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File()
    {
        if (fd >= 0)
            ::close(fd);
    }
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    bool isOpen() const { return fd >= 0; }

    bool read(uint64_t offset, void *buffer, size_t size) const
    {
        if (offset > uint64_t(LLONG_MAX))
            return false;
        return ::pread(fd, buffer, size, off_t(offset)) == ssize_t(size);
    }

private:
    const int fd;
};

// The string at `offset` of the string table, or empty when it runs off its end.
std::string stringAt(const std::string &table, uint64_t offset)
{
    if (offset >= table.size())
        return std::string();
    const size_t end = table.find('\0', size_t(offset));
    return end == std::string::npos ? std::string() : table.substr(size_t(offset), end - offset);
}

// The PT_LOAD segment that holds the bytes [address, address + size) of the image, or null.
template <typename Phdr>
const Phdr *loadSegmentHolding(const std::vector<Phdr> &segments, uint64_t address, uint64_t size)
{
    const Phdr *load = nullptr;
    for (const Phdr &segment : segments) {
        if (segment.p_type == PT_LOAD && segment.p_vaddr <= address &&
            address + size <= segment.p_vaddr + segment.p_filesz)
            load = &segment;
    }
    return load;
}

// The dynamic section of an ELF file of one class, found the way the loader finds it: the
// PT_DYNAMIC segment, whose string table address is translated to a file offset through
// the PT_LOAD segment that holds it.
template <typename Ehdr, typename Phdr, typename Dyn>
bool readDynamic(const File &file, ElfDependencies *dependencies)
{
    Ehdr header;
    if (!file.read(0, &header, sizeof header) || header.e_phentsize != sizeof(Phdr) ||
        header.e_phnum > maxProgramHeaders)
        return false;
    std::vector<Phdr> segments(header.e_phnum);
    if (!segments.empty() &&
        !file.read(header.e_phoff, segments.data(), segments.size() * sizeof(Phdr)))
        return false;
    const Phdr *dynamic = nullptr;
    for (const Phdr &segment : segments) {
        if (segment.p_type == PT_DYNAMIC)
            dynamic = &segment;
    }
    if (!dynamic)
        return true; // statically linked

    std::vector<Dyn> entries(
        std::min<uint64_t>(dynamic->p_filesz / sizeof(Dyn), maxDynamicEntries));
    if (!entries.empty() &&
        !file.read(dynamic->p_offset, entries.data(), entries.size() * sizeof(Dyn)))
        return false;
    uint64_t stringsAddress = 0;
    uint64_t stringsSize = 0;
    std::vector<uint64_t> needed;
    uint64_t rpath = UINT64_MAX;
    uint64_t runpath = UINT64_MAX;
    for (const Dyn &entry : entries) {
        if (entry.d_tag == DT_NULL)
            break;
        if (entry.d_tag == DT_NEEDED)
            needed.push_back(entry.d_un.d_val);
        else if (entry.d_tag == DT_STRTAB)
            stringsAddress = entry.d_un.d_ptr;
        else if (entry.d_tag == DT_STRSZ)
            stringsSize = entry.d_un.d_val;
        else if (entry.d_tag == DT_RPATH)
            rpath = entry.d_un.d_val;
        else if (entry.d_tag == DT_RUNPATH)
            runpath = entry.d_un.d_val;
    }
    if (stringsSize == 0 || stringsSize > maxStringTable)
        return needed.empty();

    const Phdr *load = loadSegmentHolding(segments, stringsAddress, stringsSize);
    if (!load)
        return false;
    std::string strings(size_t(stringsSize), '\0');
    if (!file.read(stringsAddress - load->p_vaddr + load->p_offset, &strings[0], strings.size()))
        return false;
    for (const uint64_t offset : needed)
        dependencies->needed.push_back(stringAt(strings, offset));
    if (rpath != UINT64_MAX)
        dependencies->rpath = stringAt(strings, rpath);
    if (runpath != UINT64_MAX)
        dependencies->runpath = stringAt(strings, runpath);
    return true;
}

bool isExecutableFile(const std::string &path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

bool isFile(const std::string &path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<std::string> split(const std::string &list, char separator)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= list.size()) {
        const std::string::size_type end = std::min(list.find(separator, start), list.size());
        parts.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string directoryOf(const std::string &path)
{
    char resolved[PATH_MAX];
    const std::string real = ::realpath(path.c_str(), resolved) ? resolved : path;
    const std::string::size_type slash = real.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : real.substr(0, slash);
}

// A search path's folders, $ORIGIN (and ${ORIGIN}) standing for `origin`.
std::vector<std::string> searchFolders(const std::string &list, const std::string &origin)
{
    std::vector<std::string> folders;
    if (list.empty())
        return folders;
    for (std::string folder : split(list, ':')) {
        for (const char *token : {"${ORIGIN}", "$ORIGIN"}) {
            std::string::size_type at;
            while ((at = folder.find(token)) != std::string::npos)
                folder.replace(at, std::strlen(token), origin);
        }
        folders.push_back(folder.empty() ? "." : folder);
    }
    return folders;
}

// The folders /etc/ld.so.conf names, following its "include" lines.
void readLoaderConfig(const std::string &path, int depth, std::vector<std::string> *folders)
{
    std::ifstream config(path);
    std::string line;
    while (depth < maxConfigDepth && std::getline(config, line)) {
        line = line.substr(0, line.find('#'));
        const std::string::size_type start = line.find_first_not_of(" \t");
        if (start == std::string::npos)
            continue;
        line = line.substr(start, line.find_last_not_of(" \t\r") + 1 - start);
        if (line.compare(0, 8, "include ") != 0) {
            folders->push_back(line);
            continue;
        }
        std::string pattern = line.substr(line.find_first_not_of(" \t", 8));
        if (pattern[0] != '/')
            pattern = directoryOf(path) + "/" + pattern;
        glob_t matches;
        if (::glob(pattern.c_str(), 0, nullptr, &matches) == 0) {
            for (size_t i = 0; i < matches.gl_pathc; ++i)
                readLoaderConfig(matches.gl_pathv[i], depth + 1, folders);
        }
        ::globfree(&matches);
    }
}

} // namespace

bool readElfDependencies(const std::string &path, ElfDependencies *dependencies)
{
    *dependencies = ElfDependencies();
    const File file(path);
    unsigned char ident[EI_NIDENT];
    if (!file.isOpen() || !file.read(0, ident, sizeof ident) ||
        std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return false;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    const unsigned char nativeOrder = ELFDATA2LSB;
#else
    const unsigned char nativeOrder = ELFDATA2MSB;
#endif
    if (ident[EI_DATA] != nativeOrder)
        return false;
    if (ident[EI_CLASS] == ELFCLASS64)
        return readDynamic<Elf64_Ehdr, Elf64_Phdr, Elf64_Dyn>(file, dependencies);
    if (ident[EI_CLASS] == ELFCLASS32)
        return readDynamic<Elf32_Ehdr, Elf32_Phdr, Elf32_Dyn>(file, dependencies);
    return false;
}

int qtMajorOfLibrary(const std::string &fileName)
{
    // "libQt5Core.so.5", "libQt6Widgets.so.6": a digit, then the module's capital letter.
    if (fileName.size() < 7 || fileName.compare(0, 5, "libQt") != 0 ||
        !std::isdigit(static_cast<unsigned char>(fileName[5])) ||
        !std::isupper(static_cast<unsigned char>(fileName[6])) ||
        fileName.find(".so") == std::string::npos)
        return 0;
    return fileName[5] - '0';
}

std::string resolveProgram(const std::string &program)
{
    if (program.empty())
        return std::string();
    if (program.find('/') != std::string::npos)
        return program;
    const char *path = std::getenv("PATH");
    for (const std::string &folder : split(path ? path : "/usr/local/bin:/usr/bin:/bin", ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (isExecutableFile(candidate))
            return candidate;
    }
    return std::string();
}

std::string findLibrary(const std::string &library, const std::string &neededBy,
                        const ElfDependencies &dependencies)
{
    if (library.find('/') != std::string::npos)
        return isFile(library) ? library : std::string();
    const std::string origin = directoryOf(neededBy);
    std::vector<std::string> folders;
    const auto add = [&folders](const std::vector<std::string> &more) {
        folders.insert(folders.end(), more.begin(), more.end());
    };
    if (dependencies.runpath.empty())
        add(searchFolders(dependencies.rpath, origin));
    const char *libraryPath = std::getenv("LD_LIBRARY_PATH");
    add(searchFolders(libraryPath ? libraryPath : "", origin));
    add(searchFolders(dependencies.runpath, origin));
    readLoaderConfig("/etc/ld.so.conf", 0, &folders);
    add({"/lib64", "/usr/lib64", "/lib", "/usr/lib"});
    for (const std::string &folder : folders) {
        const std::string candidate = folder + "/" + library;
        if (isFile(candidate))
            return candidate;
    }
    return std::string();
}

int programQtMajor(const std::string &program)
{
    const std::string path = resolveProgram(program);
    ElfDependencies executable;
    if (path.empty() || !readElfDependencies(path, &executable))
        return 0;
    for (const std::string &library : executable.needed) {
        if (const int major = qtMajorOfLibrary(library))
            return major;
    }
    for (const std::string &library : executable.needed) {
        const std::string found = findLibrary(library, path, executable);
        ElfDependencies dependencies;
        if (found.empty() || !readElfDependencies(found, &dependencies))
            continue;
        for (const std::string &indirect : dependencies.needed) {
            if (const int major = qtMajorOfLibrary(indirect))
                return major;
        }
    }
    return 0;
}
