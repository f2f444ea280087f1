// SPDX-License-Identifier: MIT
// The Touchstone reader in process: on the small files under touchstone/, each
// saying in its comments what reading it must give, and on files too large to keep.

#include "touchstone/blocks.h"
#include "touchstone/labels.h"
#include "touchstone/line_source.h"
#include "touchstone/parameters.h"
#include "touchstone/tokens.h"
#include "touchstone/touchstone.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <bit>
#include <charconv>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <span>
#include <vector>

using namespace corvalen::touchstone;

namespace {

// What a reading gave, one line per frequency ("HZ RE IM ...") and one per
// warning, or its refusal.
QByteArray Describe(const std::string& path, const QString& choice, double z0, ReadProgress* progress = nullptr)
{
    QByteArray text;
    Warnings warnings;
    const auto number = [](double v) { return QByteArray::number(std::abs(v) < 5e-16 ? 0.0 : v, 'g', 15); };
    try {
        if (choice == u"two-port") {
            const TwoPort t = ReadTwoPort(path, z0);
            for (std::size_t i = 0; i < t.frequencyHz.size(); ++i) {
                text += number(t.frequencyHz[i]);
                for (const auto& s : {t.s11[i], t.s21[i], t.s12[i], t.s22[i]})
                    text += ' ' + number(s.real()) + ' ' + number(s.imag());
                text += '\n';
            }
            warnings = t.warnings;
        } else {
            const Reflection r = ReadReflection(path, choice == u"none" ? "" : choice.toStdString(), z0, progress);
            for (std::size_t i = 0; i < r.frequencyHz.size(); ++i)
                text += number(r.frequencyHz[i]) + ' ' + number(r.gamma[i].real()) + ' ' + number(r.gamma[i].imag()) + '\n';
            warnings = r.warnings;
        }
        for (const std::string& warning : warnings)
            text += "warning " + QByteArray::fromStdString(warning) + '\n';
    } catch (const MeasuredError& error) {
        text = "refused " + QByteArray::number(error.line()) + ": " + QByteArray::fromStdString(error.what()) + '\n';
    }
    return text;
}

// A reading's values as their bits, then its warnings or its refusal: readings compared whole.
QByteArray Outcome(const std::string& path, const QString& kind, ReadThreads threads)
{
    QByteArray out;
    Warnings warnings;
    const auto bits = [&out](const auto& values) {
        out.append(reinterpret_cast<const char*>(values.data()), static_cast<qsizetype>(values.size() * sizeof values[0]));
    };
    try {
        if (kind == u"network") {
            const Network n = ReadNetwork(path, nullptr, threads);
            bits(n.frequencyHz), bits(n.s), warnings = n.warnings;
        } else if (kind == u"two-port") {
            const TwoPort t = ReadTwoPort(path, 75.0, nullptr, threads);
            bits(t.frequencyHz), bits(t.s11), bits(t.s21), bits(t.s12), bits(t.s22), warnings = t.warnings;
        } else {
            const Reflection r = ReadReflection(path, kind.toStdString(), 50.0, nullptr, threads);
            bits(r.frequencyHz), bits(r.gamma), warnings = r.warnings;
        }
        for (const std::string& warning : warnings)
            out += "\nwarning " + QByteArray::fromStdString(warning);
    } catch (const MeasuredError& error) {
        out += "\nrefused " + QByteArray::number(error.line()) + ": " + error.what();
    }
    return out;
}

std::optional<double> FromChars(std::string_view text)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size() ? std::optional(value) : std::nullopt;
}

QByteArray Written(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName().toUtf8();
}

}  // namespace

class TestMeasured : public QObject {
    Q_OBJECT

private slots:

    // Each file's comments hold its readings: "!> CHOICE [z0=OHMS]" opens one (a
    // reflection such as S22 or D1,2, "none", or "two-port"), then "!= HZ RE IM ..."
    // for each frequency it holds and "!w WARNING" for each warning, or
    // "!x LINE: MESSAGE" for its refusal; %f stands for the file's path.
    void filesReadAsTheySay_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<double>("z0");
        QTest::addColumn<QByteArray>("expected");

        const QDir dir(QStringLiteral(CORVALEN_TOUCHSTONE_DIR));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString path = file.fileName();
            QString choice;
            double z0 = 50.0;
            QByteArray expected;
            const auto add = [&] {
                if (!choice.isEmpty())
                    QTest::addRow("%s %s", qPrintable(name), qPrintable(choice)) << path << choice << z0 << expected;
            };
            for (const QString& line : QString::fromUtf8(file.readAll()).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
                if (line.startsWith(u"!> ")) {
                    add();
                    const QStringList words = line.mid(3).split(u' ');
                    choice = words[0];
                    z0 = words.size() > 1 ? words[1].mid(3).toDouble() : 50.0;
                    expected.clear();
                } else if (line.startsWith(u"!= ")) {
                    expected += line.mid(3).toUtf8() + '\n';
                } else if (line.startsWith(u"!x ") || line.startsWith(u"!w ")) {
                    expected += (line[1] == u'x' ? "refused " : "warning ") + line.mid(3).replace(u"%f"_qs, path).toUtf8() + '\n';
                }
            }
            add();
        }
    }

    void filesReadAsTheySay()
    {
        QFETCH(QString, path);
        QFETCH(QString, choice);
        QFETCH(double, z0);
        QFETCH(QByteArray, expected);
        QCOMPARE(Describe(path.toStdString(), choice, z0), expected);
    }

    // Files too large to keep: lines across the read buffer's edge, a CR LF split
    // between two reads, the longest line; a refusal after them must name its true line.
    void largeFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("expected");  // the last frequency read, or the refusal

        const auto lines = [](const char* end) {
            // "1 0.5 0" lines up to the buffer's edge, then a line across it
            QByteArray text = QByteArray("# Hz S RI R 50") + end;
            for (int i = 1; text.size() < static_cast<qsizetype>(LineSource::kChunkBytes) - 40; ++i)
                text += QByteArray::number(i) + " 0.5 0" + end;
            return text;
        };
        QByteArray crlf = lines("\r\n");
        crlf += QByteArray(static_cast<qsizetype>(LineSource::kChunkBytes) - crlf.size() - 18, ' ') + "99999990 0.25 0.5\r\n";  // the CR ends the first read
        QTest::newRow("CR LF split between reads") << crlf + "99999991 x 0\r\n" << QByteArray("refused ") + QByteArray::number(crlf.count('\n') + 1) + ": 'x' is not a number\n";
        QByteArray across = lines("\n");
        across += QByteArray(static_cast<qsizetype>(LineSource::kChunkBytes) - across.size() - 5, ' ') + "99999990 0.25 0.5\n";
        QTest::newRow("line across the buffer's edge") << across << QByteArray("99999990 0.25 0.5\n");
        QByteArray cr = lines("\r");
        QTest::newRow("CR alone, after a full buffer") << cr + "99999990 0.25 0.5" << QByteArray("99999990 0.25 0.5\n");
        const QByteArray longLine = "# Hz S RI R 50\n1 0.5 0" + QByteArray(70000, ' ') + "\n";
        QTest::newRow("longest line") << longLine << QByteArray("refused 2: line longer than 65536 characters\n");
        QTest::newRow("longest line across reads") << across + longLine.mid(15) << QByteArray("refused ") + QByteArray::number(across.count('\n') + 1) + ": line longer than 65536 characters\n";
    }

    void largeFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QByteArray path = Written(dir, QStringLiteral("large.s1p"), content);
        const QByteArray read = Describe(path.toStdString(), QStringLiteral("none"), 50.0);
        QCOMPARE(read.mid(read.lastIndexOf('\n', read.size() - 2) + 1), expected);
        // A read counts every byte it takes, to the whole file; cancelled, it stops before its first chunk.
        ReadProgress progress;
        QVERIFY(Describe(path.toStdString(), QStringLiteral("none"), 50.0, &progress) == read);
        QCOMPARE(progress.bytesRead.load(), static_cast<std::uint64_t>(content.size()));
        progress.cancelled = true;
        QVERIFY_THROWS_EXCEPTION(ReadCancelled, ReadReflection(path.toStdString(), "", 50.0, &progress));
    }

    // A large file's blocks read on two threads give what one thread reads, bit for bit,
    // whatever the later blocks hold; "change" replaces a line there (0: the line
    // the second thread starts at, %L its number, %P the frequency before it).
    void blocksReadAsOne_data()
    {
        QTest::addColumn<QString>("kind");  // a reflection ("" for a one-port), two-port or network
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("change");
        QTest::addColumn<QByteArray>("expected");  // how the reading ends, after its values
        using namespace Qt::Literals::StringLiterals;

        const QByteArray v1 = "# Hz S RI R 50\n", v2 = "[Version] 2.0\n# Hz S RI R 50\n[Number of Ports] 1\n[Number of Frequencies] 80000\n[Network Data]\n";
        const QByteArray twoPort = "# Hz S MA R 50\n";
        QTest::newRow("one-port") << u""_qs << v1 << "\n"_ba << -1 << ""_ba << ""_ba;
        QTest::newRow("comments, a blank line and tabs") << u""_qs << v1 << "\n"_ba << 50001 << "! note\n\n50000\t0.5 0.25 ! kept"_ba << ""_ba;
        QTest::newRow("a bad number") << u""_qs << v1 << "\n"_ba << 75001 << "75000 0.5 x"_ba << "refused 75001: 'x' is not a number"_ba;
        QTest::newRow("a record over two lines") << u""_qs << v1 << "\n"_ba << 50001 << "50000 0.5\n0.25"_ba
            << "refused 50001: expected 3 numbers for a frequency (the frequency and 1 complex value), found 2"_ba;
        QTest::newRow("falling where the second thread starts") << u""_qs << v1 << "\n"_ba << 0 << "1 0.5 0.25"_ba
            << "refused %L: frequency 1 Hz is not above the one before, %P Hz"_ba;
        QTest::newRow("version 2 without [End]") << u""_qs << v2 << "\n"_ba << -1 << ""_ba
            << "warning %f: no [End] after the 80000 declared frequencies; read as complete"_ba;
        QTest::newRow("version 2, [End] early and text after it") << u""_qs << v2 << "\n"_ba << 50005 << "[End]\nnot read"_ba
            << "refused 50005: [Number of Frequencies] says 80000, the data holds 49999"_ba;
        QTest::newRow("two-port, S22, CR LF, a bad angle") << u"S22"_qs << twoPort << "\r\n"_ba << 45001
            << "45000 0.5 x 0.5 0 0.5 0 0.5 0"_ba << "refused 45001: 'x' is not a number"_ba;
        QTest::newRow("two-port to 75 ohms, noise data") << u"two-port"_qs << twoPort << "\n"_ba << 80001
            << "80000 0.5 1 0.5 2 0.5 3 0.5 4\n1 2 0.5 45 10\n2 2 0.5 45 10"_ba << ""_ba;
        QTest::newRow("network, a number too long to read at once") << u"network"_qs << twoPort << "\n"_ba << 70001
            << "70000 0.500000000000000000001 5 0.5 6 0.5 7 0.5 8"_ba << ""_ba;
    }

    void blocksReadAsOne()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, lineEnd);
        QFETCH(int, line);
        QFETCH(QByteArray, change);
        QFETCH(QByteArray, expected);
        QList<QByteArray> lines = header.split('\n');
        lines.removeLast();
        const qsizetype headerLines = lines.size();
        for (int i = 1; i <= 80000; ++i) {
            QByteArray record = QByteArray::number(i);
            for (int value = 0; value < (kind.isEmpty() ? 1 : 4); ++value)
                record += " 0." + QByteArray::number((i + value) % 89 + 10) + ' ' + QByteArray::number((i * (value + 3)) % 360 - 180);
            lines += record;
        }
        QTemporaryDir dir;
        const QString name = !kind.isEmpty() ? u"large.s2p"_qs : headerLines > 1 ? u"large.ts"_qs : u"large.s1p"_qs;
        const std::string path = Written(dir, name, lines.join(lineEnd) + lineEnd).toStdString();
        LineSource source(path);
        std::string_view text;
        for (qsizetype i = 0; i <= headerLines; ++i)
            source.Next(text);
        const std::vector<std::uint64_t> starts = BlockStarts(source);
        QVERIFY(starts.size() > 2);  // large enough to be read on two threads
        if (line == 0) {  // where the thread beside starts, in the middle
            line = static_cast<int>(lines.join(lineEnd).left(static_cast<qsizetype>(starts[(starts.size() - 1) / 2])).count('\n')) + 1;
            change = change.leftJustified(lines[line - 1].size());  // the middle stays where it was
            expected.replace("%L", QByteArray::number(line)).replace("%P", QByteArray::number(line - 1 - headerLines));
        }
        if (line > 0)
            lines[line - 1] = change.replace("\n", lineEnd);
        Written(dir, name, lines.join(lineEnd) + lineEnd);
        const QByteArray twoThreads = Outcome(path, kind, ReadThreads::Two);
        QCOMPARE(twoThreads, Outcome(path, kind, ReadThreads::One));
        QVERIFY2(twoThreads.endsWith(expected.replace("%f", QByteArray::fromStdString(path))), twoThreads.right(200).constData());
        QVERIFY(expected.startsWith("refused") || twoThreads.size() > 49999 * 24);
    }

    // The short-decimal reader takes most numbers instead of from_chars: every
    // value must be the same double, and every text it refuses refused alike.
    // Texts of every length around its limits (19 digits, 2^53, 10^+-22), with
    // signs, points, exponents near the ends of a double's range, and malformed
    // ones; the check of values that are not kept must agree on every one.
    void numbersReadAsFromChars()
    {
        std::mt19937_64 random(11);
        const auto pick = [&](const char* choices) { return choices[random() % std::strlen(choices)]; };
        const auto same = [](std::optional<double> a, std::optional<double> b) {
            return a.has_value() == b.has_value() && (!a || std::bit_cast<std::uint64_t>(*a) == std::bit_cast<std::uint64_t>(*b));
        };
        for (const char* twoSigns : {"+-5", "++5", "-+5", "+", "-"})
            QVERIFY2(!ParseNumber(twoSigns) && !LooksNumeric(twoSigns), twoSigns);
        QVERIFY(!ParseNumber(std::string_view{}) && !LooksNumeric(std::string_view{}));
        for (int round = 0; round < 400000; ++round) {
            // from_chars takes no leading '+', which Touchstone allows: that sign is tried on its own below.
            std::string text;
            if (random() % 4 == 0)
                text += '-';
            for (std::size_t n = random() % 22; n > 0; --n)
                text += random() % 5 == 0 ? '0' : pick("0123456789");
            if (random() % 3 != 0) {
                text += '.';
                for (std::size_t n = random() % 22; n > 0; --n)
                    text += pick(random() % 2 ? "0" : "0123456789");
            }
            if (random() % 3 == 0)
                text += pick("eE") + std::string(random() % 3 == 0 ? 0 : 1, pick("+-"))
                        + std::to_string(random() % 2 ? random() % 40 : 280 + random() % 60);
            if (random() % 50 == 0) {
                const char junk = pick("x.e+- 9:/");
                text.insert(junk == '+' ? text.size() : random() % (text.size() + 1), 1, junk);
            }
            const std::optional<double> expected = FromChars(text);
            QVERIFY2(same(ParseNumber(text), expected) && LooksNumeric(text) == expected.has_value(), text.c_str());
            if (text.empty() || text[0] != '-')
                QVERIFY2(same(ParseNumber("+" + text), expected) && LooksNumeric("+" + text) == expected.has_value(),
                         ("+" + text).c_str());
            // Read in its line, as the reader reads data, where more text follows or the line
            // ends; the digits read ahead past its end are no part of it.
            for (const std::string after : {" 42 0.5", ""}) {
                if (text.empty() || text.find_first_of(" \t") != std::string::npos)
                    break;
                const std::string line = std::string(kReadBehindBytes, '7') + " \t" + text + after + std::string(kReadAheadBytes, '7');
                const char* const end = line.data() + line.size() - kReadAheadBytes;
                double inLine = 0.0;
                if (const char* const read = ReadDataNumber(line.data() + kReadBehindBytes, end, 0, inLine))
                    QVERIFY2(expected && std::bit_cast<std::uint64_t>(inLine) == std::bit_cast<std::uint64_t>(*expected)
                                 && std::string_view(read, end) == after,
                             text.c_str());
            }
        }
    }

    // A frequency in the file's unit is its digits with the exponent moved, rounded
    // once: 1.1 GHz is 1100000000 Hz, not 1.1 * 1e9, whether the short reader or
    // from_chars (more than 19 digits) takes it.
    void frequenciesScaledOnce_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("unitExponent");
        QTest::addColumn<QString>("hertz");  // read by from_chars; empty where refused

        QTest::newRow("GHz") << u"1.1"_qs << 9 << u"1100000000"_qs;
        QTest::newRow("GHz, 21 digits") << u"1.10000000000000000000"_qs << 9 << u"1100000000"_qs;
        QTest::newRow("MHz with exponent") << u"+7.5E+2"_qs << 6 << u"750000000"_qs;
        QTest::newRow("kHz, 25 digits and exponent") << u"1234567890.123456789012345e-3"_qs << 3 << u"1234567890.123456789012345"_qs;
        QTest::newRow("Hz, 21 digits") << u"123456789012345678901"_qs << 0 << u"123456789012345678901"_qs;
        QTest::newRow("below 10^-300 as written") << u"2.5e-310"_qs << 9 << u"2.5e-301"_qs;
        QTest::newRow("beyond a double as written") << u"1e400"_qs << 0 << u""_qs;
        QTest::newRow("beyond a double in hertz") << u"1e300"_qs << 9 << u""_qs;
        QTest::newRow("exponent without digits") << u"1e"_qs << 9 << u""_qs;
        QTest::newRow("not a number") << u"1.1x"_qs << 9 << u""_qs;
    }

    void frequenciesScaledOnce()
    {
        QFETCH(QString, written);
        QFETCH(int, unitExponent);
        QFETCH(QString, hertz);
        const std::optional<double> scaled = ParseScaled(written.toStdString(), unitExponent);
        QCOMPARE(scaled.has_value(), !hertz.isEmpty());
        if (scaled)
            QCOMPARE(*scaled, *FromChars(hertz.toStdString()));
    }

    // MA and DB values: whole quarter turns exact, every other angle within two
    // units in the last place of long double's sine and cosine (whose own error,
    // 64-bit arguments below four turns, is far smaller than that).
    void anglesInDegrees()
    {
        const struct {
            double degrees, real, imaginary;
        } exact[] = {{0, 1, 0}, {90, 0, 1}, {180, -1, 0}, {-90, 0, -1}, {270, 0, -1}, {-360, 1, 0}, {450, 0, 1}};
        for (const auto& angle : exact) {
            const Complex value = FromPolarDegrees(2.0, angle.degrees);
            QCOMPARE(value.real(), 2.0 * angle.real);
            QCOMPARE(value.imag(), 2.0 * angle.imaginary);
        }
        std::mt19937_64 random(5);
        std::uniform_real_distribution<double> turns(-1440.0, 1440.0);
        const auto near = [](double value, long double reference) {
            return std::abs(static_cast<long double>(value) - reference)
                   <= 2 * std::numeric_limits<double>::epsilon() * std::abs(reference) + 1e-18L;
        };
        // A file's values are turned all at once, two at a time where the processor can: each
        // bit for bit as alone. Eighths of a degree too, and last one far beyond whole quarter
        // turns, as std::cos and std::sin of the radians.
        std::vector<Complex> values(200001);
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = {1.0, i + 1 == values.size() ? 1e17 : i % 2 ? turns(random) : std::round(turns(random) * 8) / 8};
        std::vector<Complex> turned = values;
        FromPolarDegrees(std::span(turned));
        for (std::size_t i = 0; i + 1 < values.size(); ++i) {
            const double degrees = values[i].imag();
            const long double radians = static_cast<long double>(degrees) * (3.141592653589793238462643383279502884L / 180);
            const Complex value = FromPolarDegrees(1.0, degrees);
            QVERIFY2(near(value.real(), std::cos(radians)) && near(value.imag(), std::sin(radians))
                         && std::memcmp(&value, &turned[i], sizeof value) == 0,
                     std::to_string(degrees).c_str());
        }
        QCOMPARE(turned.back().real(), std::cos(1e17 * (std::numbers::pi / 180.0)));
    }

    // What a name after FILE: chooses in a single-ended file of so many ports: the
    // port, or the refusal, which names what was given and the file's choices.
    void reflectionsNamed_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("ports");
        QTest::addColumn<QByteArray>("expected");
        using namespace Qt::Literals::StringLiterals;

        const QByteArray twelve = "; choose f.s12p:S11 to f.s12p:S12,12";
        QTest::newRow("S22") << u"S22"_qs << 2 << "port 2"_ba;
        QTest::newRow("port 1 with a comma") << u"S1,1"_qs << 2 << "port 1"_ba;
        QTest::newRow("port 10 with a comma") << u"S10,10"_qs << 12 << "port 10"_ba;
        QTest::newRow("port 10 in lower case") << u"s10,10"_qs << 12 << "port 10"_ba;
        QTest::newRow("port 10 written twice") << u"S1010"_qs << 12 << "port 10"_ba;
        QTest::newRow("S1010 of 200 ports: S1,010 and S101,0 name no ports") << u"S1010"_qs << 200 << "port 10"_ba;
        QTest::newRow("S1111 of 110 ports: S1,111 and S111,1 past the last") << u"S1111"_qs << 110 << "port 11"_ba;
        QTest::newRow("S1111 of 111 ports is S1,111 too") << u"S1111"_qs << 111
            << "S1111 is ambiguous in a file of 111 ports: port 11's reflection is S11,11; choose f.s12p:S11 to f.s12p:S111,111"_ba;
        QTest::newRow("S11,11 of 111 ports") << u"S11,11"_qs << 111 << "port 11"_ba;
        QTest::newRow("transmission") << u"S12"_qs << 2 << "S12 is a transmission, not a reflection; choose f.s12p:S11 or f.s12p:S22"_ba;
        QTest::newRow("transmission to port 3 of 12") << u"S13"_qs << 12 << "S13 is a transmission, not a reflection" + twelve;
        QTest::newRow("transmission with a comma") << u"S10,1"_qs << 12 << "S10,1 is a transmission, not a reflection" + twelve;
        QTest::newRow("port past the last") << u"S13,13"_qs << 12 << "has no reflection S13,13" + twelve;
        QTest::newRow("S13 of a two-port") << u"S13"_qs << 2 << "'S13' names no reflection; choose f.s12p:S11 or f.s12p:S22"_ba;
        QTest::newRow("port 0") << u"S0"_qs << 12 << "'S0' names no reflection" + twelve;
        QTest::newRow("leading zeros") << u"S01,01"_qs << 12 << "'S01,01' names no reflection" + twelve;
        QTest::newRow("three numbers") << u"S1,1,1"_qs << 12 << "'S1,1,1' names no reflection" + twelve;
        QTest::newRow("a letter among the digits") << u"S2x"_qs << 12 << "'S2x' names no reflection" + twelve;
        QTest::newRow("mixed-mode label") << u"D1,2"_qs << 12 << "has no [Mixed-Mode Order] for D1,2" + twelve;
    }

    void reflectionsNamed()
    {
        QFETCH(QString, choice);
        QFETCH(int, ports);
        QFETCH(QByteArray, expected);
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> empty(std::tmpfile(), &std::fclose);
        QVERIFY(empty);
        const LineSource lines(empty.get(), "f.s12p");
        QByteArray chosen;
        try {
            chosen = "port " + QByteArray::number(static_cast<qulonglong>(ChosenPort(choice.toStdString(), ports, {}, lines) + 1));
        } catch (const MeasuredError& error) {
            chosen = error.what();
        }
        QCOMPARE(chosen, expected);
    }
};

QTEST_APPLESS_MAIN(TestMeasured)
#include "tst_measured.moc"
