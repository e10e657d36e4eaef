// The version information, kept in an ELF section of its own
// (".avole_version") so that a tool reads it from the file without loading or
// running the library: `regsvr --version-info libavole.so` prints it. The
// section holds NUL-terminated "Name=Value" texts in UTF-8, in this order,
// ending with an empty text.
namespace avole {

__attribute__((section(".avole_version"), used)) const char kVersionInfo[] =
    "FileVersion=0.40\0"
    "ProductVersion=0.40\0"
    "FixedFileVersion=0.40.0.0\0"
    "FixedProductVersion=0.40.0.0\0"
    "FileOS=VOS__WINDOWS32\0"
    "FileType=VFT_DLL\0"
    "Translation=0x0411 1200\0"
    "StringTable=041104B0\0"
    "CompanyName=Arvenda\0"
    "FileDescription=Arvenda OLE DLLファイル\0"
    "InternalName=AVOLE\0"
    "LegalTrademarks=AVOLE\0"
    "OriginalFilename=AVOLE.dll\0"
    "ProductName=Arvenda OLE DLL\0"
    "OLESelfRegister=\0";

}  // namespace avole
