#pragma once
// The files of the contracts: contract documents and stage acts in the folder "dog"
// below the current directory, written from standard-contract templates and opened in
// the application the desktop associates with their type.
//
// Names are stored as the tables have always kept them, with "\" between folder and
// file ("dog\Dog15.RTF"); they are mapped to "/" and found without regard to letter
// case only when a file is used. Templates and documents are single-byte Cyrillic
// (CP1251) text or RTF, decoded when read and encoded when written, here alone.
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>

// Opens a file in the desktop's application for its type, directly by its URL (no
// shell, no command line); false when the desktop has no way to open it. Tests put a
// recorder in its place.
extern std::function<bool(const QUrl &url)> DocumentOpener;
// Opens the stored name through DocumentOpener; when the desktop cannot open it, a
// message box says so and names the file.
void OpenDocument(const QString &storedName);

// The stored name as a path here: separators made "/", and each part that exists in
// another letter case taken as it is on disk ("DOG\dog15.rtf" -> "dog/Dog15.RTF").
QString LocalPath(const QString &storedName);
bool DocumentExists(const QString &storedName);

// A text (a contract number) fit for a file name: each of / \ : * ? " < > | becomes "_".
QString FileNamePart(const QString &text);

// `storedName` when `taken` says it is free, else the first free of "name_1.ext",
// "name_2.ext"...
QString FreeName(const QString &storedName, const std::function<bool(const QString &)> &taken);

// Whether two stored names name the same file (letter case and separators aside).
bool SameDocument(const QString &a, const QString &b);

// Placeholders and their values, in the order they are replaced on every line.
using TPlaceholders = QList<QPair<QString, QString>>;

// One template line with every placeholder replaced wherever it stands (case-sensitive),
// in one pass from left to right: where two could start at one place the earlier in
// `values` wins, and a value put in is never searched for placeholders. Time linear in
// the line's length.
QString FillLine(QStringView line, const TPlaceholders &values);
// A value as RTF text: "\", "{" and "}" escaped, line breaks as "\line", characters
// that CP1251 lacks as "\uN?".
QString RtfText(const QString &value);

// The largest template filled, in bytes. A contract in RTF with a logo and a scanned
// seal (pictures are kept there as hexadecimal text, twice their size) takes a few
// megabytes; a larger file is no contract text and would only hold the program up.
constexpr qint64 MaxTemplateSize = 10 * 1024 * 1024;

// Writes a new document from the template, line by line to the template's end
// (empty lines included), each line followed by CR LF; in an RTF template the values
// are escaped first (RtfText). The template is read whole and filled before the
// document is created; an existing document is never overwritten; a missing folder of
// the document is made. Throws EOrbekError with a Russian message naming the file
// that could not be read or written, and refuses a template larger than
// MaxTemplateSize or holding zero bytes (not text: a binary .doc file, say); nothing
// is written then, and a document left half-written is removed.
void WriteFromTemplate(const QString &templateName, const QString &documentName, const TPlaceholders &values);
// Creates a new document holding one line of one blank (an act, or a contract text
// written without a template), its folder when missing. Throws as above; never
// overwrites.
void WriteBlankDocument(const QString &documentName);

class QWidget;

// The open-file dialog of the contract forms: "Dog*.doc" files, starting in the folder
// "dog". Returns the chosen file as it is stored, relative to the current directory
// when it lies below it ("dog\Dog15.doc"), else its full path; empty when nothing was
// chosen. The current directory is the same afterwards.
QString ChooseDocumentFile(QWidget *parent, const QString &caption);
// The chosen name for a field of `size` characters; throws EOrbekError when it is longer.
QString FittingName(const QString &storedName, int size);
