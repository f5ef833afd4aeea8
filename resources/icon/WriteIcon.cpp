// Writes the program's icon, the picture the main frame shows, to a PNG file for the desktop
// entry:
//
//   vasquil_write_icon FILE
//
// Exits 0 when the file was written, 1 with a message on standard error otherwise.
#include "resources/ResourceIds.h"
#include "resources/Resources.h"

#include <QGuiApplication>

#include <cstdio>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vasquil_write_icon FILE\n");
        return 1;
    }
    // The pictures are drawn once the Qt application exists; no window is shown.
    QGuiApplication app(argc, argv);
    RegisterProgramResources();
    const ImageResource* icon = FindImageResource(IDR_MAINFRAME);
    if (!icon || icon->size == 0) {
        std::fprintf(stderr, "vasquil_write_icon: the resources hold no icon\n");
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(icon->data), static_cast<std::streamsize>(icon->size));
    out.close();
    if (!out) {
        std::fprintf(stderr, "vasquil_write_icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
