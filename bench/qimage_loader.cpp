// The yardstick of the whole-process benchmark: a program that does no more than open a picture with
// QImage and take its pixels as 8-bit red, green, blue, as a Qt tool would before converting them.
//   quorvane_qimage_loader FILE
#include <QImage>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull()) return 1;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    // Something of the pixels leaves the process, so that nothing of the loading is left out.
    return rgb.constBits()[0] == 0 && rgb.constBits()[1] == 1 && rgb.constBits()[2] == 2 ? 3 : 0;
}
