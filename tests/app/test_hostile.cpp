// Hostile files handed to the program through the menu, as a user would pick
// them by mistake or a damaged disk would give them: each ends with the
// program running, a message where one is due, and the work already open
// (loaded tables, an open picture) as it was.
#include <zlib.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include "tables/u_omnia.h"
#include "tables/u_tabimm.h"
#include "tables/u_tabogg.h"
#include "tests/view/picture_files.h"
#include "tests/view/png_tiff_writers.h"

namespace {

QByteArray Le16(int v) { return QByteArray(1, char(v & 255)) + char((v >> 8) & 255); }
QByteArray Le32(qint64 v) { return Le16(int(v & 0xFFFF)) + Le16(int((v >> 16) & 0xFFFF)); }

// A bitmap with the 40-byte header, `palette` entries of four bytes and the
// given pixel bytes, claiming w x h at `bpp` bits.
QByteArray Bitmap(qint64 w, qint64 h, int bpp, const QByteArray& palette, const QByteArray& pixels,
                  quint32 used = 0) {
    const int offset = 54 + int(palette.size());
    QByteArray b = "BM" + Le32(offset + pixels.size()) + Le32(0) + Le32(offset);
    b += Le32(40) + Le32(w) + Le32(h) + Le16(1) + Le16(bpp) + Le32(0) + Le32(pixels.size()) +
         Le32(2835) + Le32(2835) + Le32(used) + Le32(0);
    return b + palette + pixels;
}

// 4 x 4, 24 bits, every row padded to 12 bytes.
QByteArray GoodBitmap() { return Bitmap(4, 4, 24, {}, QByteArray(48, '\x50')); }

QByteArray GoodJpeg() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    TracePicture(64, 48).save(&buffer, "JPG", 90);
    return bytes;
}

QByteArray GoodPng() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    TracePicture(64, 48).save(&buffer, "PNG");
    return bytes;
}

// Directory first, eight strips of five rows after it.
QByteArray GoodTiff() {
    const std::vector<uint8_t> b = test_pictures::DirectoryFirstTiff(16, 40, 5);
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

// The PNG with its header's width replaced, and its header's checksum
// rewritten to match unless `badSum`.
QByteArray PngWidth(quint32 width, bool badSum = false) {
    QByteArray b = GoodPng();
    const auto put32 = [&](int at, quint32 v) {
        for (int k = 0; k < 4; ++k) b[at + k] = char((v >> (24 - 8 * k)) & 255);
    };
    put32(16, width);
    const quint32 sum = quint32(crc32(0, reinterpret_cast<const Bytef*>(b.constData() + 12), 17));
    put32(29, badSum ? ~sum : sum);
    return b;
}

// Two palette entries; pixel values 0..5.
QByteArray PaletteOverrun() {
    const QByteArray palette = QByteArray("\x00\x00\xFF\x00\x00\xFF\x00\x00", 8);
    return Bitmap(4, 1, 8, palette, QByteArray("\x00\x01\x05\x04", 4), 2);
}

struct PictureCase {
    const char* name;       // the file name: its extension picks the decoder
    QByteArray (*bytes)();  // the file's content
    const char* message;    // a part of the one message shown
    bool opens;             // the picture opens all the same (damaged)
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

const PictureCase kPictureCases[] = {
    {"vuoto.bmp", [] { return QByteArray(); }, "file vuoto", false},
    {"testata_file.bmp", [] { return GoodBitmap().left(10); }, "troncato", false},
    {"testata_info.bmp", [] { return GoodBitmap().left(30); }, "troncato", false},
    {"tavolozza.bmp", [] { return PaletteOverrun().left(58); }, "troncato", false},
    {"righe.bmp", [] { return GoodBitmap().left(54 + 20); }, "troncato", false},
    {"jpeg_soi.jpg", [] { return GoodJpeg().left(2); }, "", false},
    {"jpeg_tabelle.jpg", [] { return GoodJpeg().left(150); }, "", false},
    {"jpeg.bmp", GoodJpeg, "", true},
    {"png.jpg", GoodPng, "", true},
    {"png_testata.png", [] { return GoodPng().left(20); }, "troncato", false},
    {"png_dati.png", [] { return GoodPng().left(GoodPng().size() - 30); }, "troncato", false},
    {"png_assurda.png", [] { return PngWidth(0x7FFFFFFF); }, "dimensioni non valide", false},
    {"png_crc.png", [] { return PngWidth(64, true); }, "PNG", false},
    {"tiff_testata.tif", [] { return GoodTiff().left(6); }, "troncato", false},
    {"tiff_strisce.tif", [] { return GoodTiff().left(GoodTiff().size() / 2); }, "troncato", true},
    {"tiff_directory.tif", [] { return GoodTiff().left(60); }, "TIFF", false},
    {"tiff_float.tif",
     [] { return GoodTiff().replace(8 + 2 + 9 * 12 + 4, 6, QByteArray("\x20\0\x20\0\x20\0", 6)); },
     "non supportata", false},
    {"testo.jpg", [] { return QByteArray("non una foto\r\n"); }, "formato non riconosciuto", false},
    {"larghezza_negativa.bmp", [] { return Bitmap(-4, 4, 24, {}, QByteArray(48, 0)); },
     "dimensioni non valide", false},
    {"altezza_minima.bmp", [] { return Bitmap(4, -2147483648LL, 24, {}, QByteArray(48, 0)); },
     "dimensioni non valide", false},
    {"assurda.bmp", [] { return Bitmap(0x7FFFFFFF, 0x7FFFFFFF, 24, {}, QByteArray(48, 0)); },
     "dimensioni non valide", false},
    {"sette_bit.bmp", [] { return Bitmap(4, 4, 7, {}, QByteArray(48, 0)); }, "non supportata",
     false},
    {"tavolozza_enorme.bmp",
     [] { return Bitmap(4, 1, 8, QByteArray(8, 0), QByteArray(4, 1), 0xFFFFFFFFu); }, "", true},
    {"indici_oltre.bmp", PaletteOverrun, "tavolozza", true},
};

}  // namespace

class HostilePicture : public PictureRun, public ::testing::WithParamInterface<PictureCase> {
protected:
    // Tables loaded through the menu: the work a failed opening must leave alone.
    void LoadTables() {
        DialogSeam::PresetFileName(WriteBytes("punti.imm", "1  10  20\r\n2  30  40\r\n"));
        main_->Action("Carica4")->trigger();
        DialogSeam::PresetFileName(WriteBytes("punti.ogg", "1  1.5  2.5\r\n2  3.5  4.5\r\n"));
        main_->Action("Carica5")->trigger();
        ASSERT_EQ(CountPoints(*FormTabImm->StringGrid1), 2);
        ASSERT_EQ(CountPoints(*FormTabOgg->StringGrid1), 2);
        DialogSeam::Messages().clear();
    }
    std::string TableText() const {
        return TableFileText(*FormTabImm->StringGrid1, "nxy") +
               TableFileText(*FormTabOgg->StringGrid1, "nxy");
    }
};

TEST_P(HostilePicture, EndsWithAMessageAndTheTablesUntouched) {
    const PictureCase& c = GetParam();
    LoadTables();
    const std::string tables = TableText();
    const QString path = WriteBytes(c.name, c.bytes());
    Open(path);
    FlushDeletes();

    ASSERT_EQ(DialogSeam::Messages().size(), c.opens ? (*c.message ? 1 : 0) : 1);
    if (!DialogSeam::Messages().isEmpty()) {
        const QString text = DialogSeam::Messages().first();
        EXPECT_TRUE(text.contains(path)) << text.toStdString();
        EXPECT_TRUE(text.contains(c.message)) << text.toStdString();
    }
    EXPECT_EQ(main_->cb_imm->Checked(), c.opens);
    EXPECT_EQ(SubWindows(), c.opens ? 1 : 0);
    EXPECT_EQ(ImageWindow != nullptr, c.opens);
    EXPECT_FALSE(main_->ProgressBar1->isVisible());
    EXPECT_EQ(TableText(), tables);

    // Still running: a sound picture opens next (after closing a damaged one).
    if (c.opens) {
        main_->Action("Chiudi1")->trigger();
        FlushDeletes();
    }
    Open(Write("buona.bmp", TracePicture(20, 10), "BMP"));
    ASSERT_TRUE(main_->cb_imm->Checked());
    EXPECT_EQ(std::as_const(*ImageWindow->Image1).Picture().pixel(19, 9), TracePixel(19, 9));
}

INSTANTIATE_TEST_SUITE_P(Files, HostilePicture, ::testing::ValuesIn(kPictureCases),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& ch : n)
                                 if (ch == '.') ch = '_';
                             return n;
                         });

// ---- Table files -------------------------------------------------------------

namespace {

QByteArray Garbage() {
    QRandomGenerator rng(20261208);
    QByteArray b(64 * 1024, '\0');
    for (char& ch : b) ch = char(rng.bounded(256));
    return b;
}

QByteArray Lines(int count) {
    QByteArray b;
    for (int i = 1; i <= count; ++i)
        b += QByteArray::number(i) + "  " + QByteArray::number(i) + ".5  7\r\n";
    return b;
}

struct TableCase {
    const char* name;
    QByteArray (*bytes)();  // null: no file of that name at all
    bool fails;             // the load is refused with a message box
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

const TableCase kTableCases[] = {
    {"spazzatura", Garbage, false},
    {"riga_10MB", [] { return QByteArray(10 * 1024 * 1024, '7'); }, false},
    {"nul",
     [] {
         static const char k[] =
             "1\0  10  20\r\n2  3\0"
             "0  40\r\n\0\0\0\r\n3  5  6\r\n";
         return QByteArray(k, sizeof k - 1);
     },
     false},
    {"bom_utf8",
     [] {
         return QByteArray(
             "\xEF\xBB\xBF"
             "caff\xC3\xA8  1  2\r\nperch\xC3\xA9  3  4\r\n");
     },
     false},
    {"accentati_1252",
     [] {
         return QByteArray(
             "caff\xE8  1  2\r\n\xC0"
             "1  3  4\r\n");
     },
     false},
    {"righe_600", [] { return Lines(600); }, false},
    {"righe_100000", [] { return Lines(100000); }, false},
    {"mancante", nullptr, true},
};

}  // namespace

class HostileTable : public PictureRun, public ::testing::WithParamInterface<TableCase> {
protected:
    // Loads the file through the menu command `action` ("Tabelle" > "Immagine"
    // or "Oggetto" > "Carica"), which must not keep the program long.
    void Load(const char* action, const QString& path) {
        DialogSeam::Messages().clear();
        DialogSeam::PresetFileName(path);
        QElapsedTimer clock;
        clock.start();
        main_->Action(action)->trigger();
        // The table windows paint what was loaded, however long a cell is.
        FormTabImm->grab();
        FormTabOgg->grab();
        EXPECT_LT(clock.elapsed(), 20000) << action;
    }
    // At most 500 points, the row count fitted to them, nothing shown below.
    static void ExpectConsistent(const StringGrid& grid) {
        const int n = CountPoints(grid);
        EXPECT_LE(n, MaxTablePoints);
        if (n > 1) {
            EXPECT_EQ(grid.RowCount(), n + 1);
        }
        for (int r = 1; r <= n; ++r) EXPECT_FALSE(grid.Cell(0, r).empty()) << "row " << r;
        for (int c = 0; c < grid.ColCount(); ++c) EXPECT_EQ(grid.Cell(c, n + 1), "");
    }
    void ExpectPictureUntouched(TFormImmagine* window) {
        EXPECT_EQ(ImageWindow, window);
        EXPECT_TRUE(main_->cb_imm->Checked());
        const QImage& picture = std::as_const(*window->Image1).Picture();
        ASSERT_EQ(picture.size(), QSize(30, 20));
        EXPECT_EQ(picture.pixel(29, 19), TracePixel(29, 19));
    }
};

TEST_P(HostileTable, LoadEndsConsistentWithThePictureUntouched) {
    const TableCase& c = GetParam();
    Open(Write("foto.bmp", TracePicture(30, 20), "BMP"));
    TFormImmagine* const window = ImageWindow;
    ASSERT_NE(window, nullptr);
    const QString good = WriteBytes("buona.imm", "1  10  20\r\n2  30  40\r\n");
    Load("Carica4", good);
    const std::string imageTable = TableFileText(*FormTabImm->StringGrid1, "nxy");
    // Every file name has an accented letter too.
    const QString name = QString::fromUtf8("%1_perch\xC3\xA9.txt").arg(c.name);
    const QString path = c.bytes ? WriteBytes(name, c.bytes()) : Path(name);

    // Into the object table: the image table and the picture stay as they were.
    Load("Carica5", path);
    ExpectConsistent(*FormTabOgg->StringGrid1);
    EXPECT_EQ(TableFileText(*FormTabImm->StringGrid1, "nxy"), imageTable);
    ExpectPictureUntouched(window);
    if (c.fails) {
        ASSERT_EQ(DialogSeam::Messages().size(), 1);
        EXPECT_TRUE(DialogSeam::Messages().first().contains(path));
    } else {
        for (const QString& m : DialogSeam::Messages())
            EXPECT_FALSE(m.startsWith("Impossibile aprire")) << m.toStdString();
    }

    // Into the image table, whose points are collimated on the picture.
    Load("Carica4", path);
    ExpectConsistent(*FormTabImm->StringGrid1);
    ExpectPictureUntouched(window);
    if (c.fails) {
        ASSERT_EQ(DialogSeam::Messages().size(), 1);
        EXPECT_EQ(TableFileText(*FormTabImm->StringGrid1, "nxy"), imageTable);
    }

    // Still running: a sound file loads next.
    Load("Carica4", good);
    EXPECT_EQ(TableFileText(*FormTabImm->StringGrid1, "nxy"), imageTable);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileTable, ::testing::ValuesIn(kTableCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A cell of megabytes (a whole file read as one name) shows only its head,
// so painting the grid stays quick; the cell keeps the whole text.
using HostileGrid = PictureRun;

TEST_F(HostileGrid, HugeCellShowsItsHeadAndKeepsItsText) {
    StringGrid* grid = FormTabOgg->StringGrid1;
    const std::string huge = "caff\xC3\xA8" + std::string(5'000'000, 'x');
    grid->SetCell(0, 1, huge);
    const QModelIndex cell = grid->model()->index(0, 0);
    const QString shown = grid->model()->data(cell, Qt::DisplayRole).toString();
    EXPECT_TRUE(shown.startsWith(QString::fromUtf8("caff\xC3\xA8x")));
    EXPECT_LE(shown.size(), 1100);
    EXPECT_EQ(grid->model()->data(cell, Qt::EditRole).toString().size(),
              qsizetype(huge.size()) - 1);
    EXPECT_EQ(grid->Cell(0, 1), huge);
}
