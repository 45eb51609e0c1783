#include <QColorSpace>
#include <QFile>
#include <cstdio>

// Writes Display P3 as an ICC profile, for the benchmark's phone-like JPEG: no such profile ships
// with the system.
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_p3_profile <file.icc>\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    const QByteArray icc = QColorSpace(QColorSpace::DisplayP3).iccProfile();
    return !icc.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(icc) == icc.size() ? 0
                                                                                              : 1;
}
