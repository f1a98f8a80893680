// The program's texts are Windows-1252 bytes. The build compiles UTF-8
// sources with a Windows-1252 execution character set; this fails to
// compile in any build where that is not so.
namespace pelmora::app {

static_assert(sizeof("Zurück") == 7, "\"ü\" must be one byte");
static_assert(static_cast<unsigned char>("ü"[0]) == 0xFC);
static_assert(static_cast<unsigned char>("ä"[0]) == 0xE4 &&
              static_cast<unsigned char>("ö"[0]) == 0xF6);
static_assert(static_cast<unsigned char>("ß"[0]) == 0xDF &&
              static_cast<unsigned char>("Ä"[0]) == 0xC4);
static_assert(static_cast<unsigned char>("€"[0]) == 0x80);

}  // namespace pelmora::app
