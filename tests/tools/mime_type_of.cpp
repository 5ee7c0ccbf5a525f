// Prints the MIME type Qt's database gives a file: "name" looks at the name
// only, "content" at the content only.  For the install test.
#include <QCoreApplication>
#include <QMimeDatabase>
#include <QTextStream>

#include <cstring>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) return 2;
    const auto mode = std::strcmp(argv[1], "name") == 0 ? QMimeDatabase::MatchExtension
                                                         : QMimeDatabase::MatchContent;
    QTextStream(stdout) << QMimeDatabase().mimeTypeForFile(QString::fromLocal8Bit(argv[2]), mode).name()
                        << "\n";
    return 0;
}
