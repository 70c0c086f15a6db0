// A small value class over one process-wide DOM document, with which the window grid reads its
// template. Loading a file replaces the document; every element handed out belongs to it (the
// toolkit's shared node handles keep an older document's nodes alive while they are held).
// GUI thread only: the document has no lock.
#pragma once

#include <QByteArray>
#include <QDomElement>
#include <QString>

class QDomDocument;

// The process-wide document (created on first use, empty until a file is loaded).
QDomDocument* GetDocument();
// Replaces the document by the parsed file; false when the file cannot be opened or is not
// well-formed, the new document then stays empty.
bool LoadDocument(const QString& path);
// Writes the document in the GB2312 code page, no indent; false when the file cannot be written.
bool SaveDocument(const QString& path);
// Replaces the document by an empty one.
void ResetDocument();

class CXmlHelper {
public:
    CXmlHelper() = default;
    explicit CXmlHelper(const QDomElement& element);

    bool IsNull() const { return m_element.isNull(); }
    QDomElement Element() const { return m_element; }

    // Loads the file into the document and takes its document element.
    bool LoadFile(const QString& path);
    void SaveFile(const QString& path) const;
    // A new document with a GB2312 declaration and a root of that tag, which this becomes.
    bool CreateDocument(const QByteArray& rootTag);

    // Element children only (text and comments are not counted).
    int GetChildCount() const;
    CXmlHelper GetChildAt(int index) const;
    // The first element of that tag among all descendants, in document order.
    CXmlHelper FindChild(const QByteArray& tag) const;
    QByteArray GetTagName() const;
    CXmlHelper AddChild(const QByteArray& tag);

    bool SetText(const QByteArray& text);
    bool SetAttribute(const QString& name, const QString& value);
    // True when the attribute has a value that is not empty.
    bool GetAttribute(const QByteArray& name, QByteArray& value) const;
    bool GetAttribute(const QByteArray& name, int& value) const;
    bool GetAttribute(const QByteArray& name, double& value) const;
    // The data of the first text child, whatever element children come before it.
    bool GetText(QByteArray& text) const;
    bool GetText(int& value) const;
    bool GetText(bool& value) const;
    bool GetText(double& value) const;

private:
    QDomNode FirstTextChild() const;

    QDomElement m_element;
};
