#include "playback/XmlHelper.h"

#include <QDomDocument>
#include <QFile>
#include <QSaveFile>
#include <QStringEncoder>
#include <QTextStream>

#include <memory>

namespace {

std::unique_ptr<QDomDocument>& Document()
{
    static std::unique_ptr<QDomDocument> document;
    return document;
}

// Leading decimal digits with an optional sign, as the template's numbers are read; 0 when the
// text does not start with a number.
int LeadingInt(const QByteArray& text)
{
    const QByteArray t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        negative = t[i++] == '-';
    long long value = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        value = value * 10 + (t[i] - '0');
        if (value > 0x7fffffffLL)
            value = 0x7fffffffLL;
    }
    return int(negative ? -value : value);
}

}  // namespace

QDomDocument* GetDocument()
{
    if (!Document())
        Document() = std::make_unique<QDomDocument>();
    return Document().get();
}

void ResetDocument()
{
    Document() = std::make_unique<QDomDocument>();
}

bool LoadDocument(const QString& path)
{
    ResetDocument();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    // A template is a few kilobytes; anything far larger is not one.
    constexpr qint64 kMaxTemplateBytes = 16 * 1024 * 1024;
    if (file.size() > kMaxTemplateBytes)
        return false;
    if (!Document()->setContent(&file, false)) {
        ResetDocument();
        return false;
    }
    return true;
}

bool SaveDocument(const QString& path)
{
    QStringEncoder encoder("GB2312");
    if (!encoder.isValid())
        encoder = QStringEncoder(QStringEncoder::Utf8);
    // The declaration is written here: the toolkit's own writer knows only Unicode encodings.
    QString text;
    QTextStream stream(&text);
    for (QDomNode node = GetDocument()->firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QDomProcessingInstruction pi = node.toProcessingInstruction();
        if (!pi.isNull() && pi.target() == QLatin1String("xml"))
            stream << "<?xml " << pi.data() << "?>\n";
        else
            node.save(stream, 0);
    }
    stream.flush();
    const QByteArray bytes = encoder.encode(text);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write(bytes);
    return file.commit();
}

CXmlHelper::CXmlHelper(const QDomElement& element)
{
    if (!element.isNull())
        m_element = element;
}

bool CXmlHelper::LoadFile(const QString& path)
{
    if (!LoadDocument(path))
        return false;
    m_element = GetDocument()->documentElement();
    return true;
}

void CXmlHelper::SaveFile(const QString& path) const
{
    (void)SaveDocument(path);
}

bool CXmlHelper::CreateDocument(const QByteArray& rootTag)
{
    ResetDocument();
    QDomDocument* doc = GetDocument();
    doc->appendChild(
        doc->createProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"GB2312\"")));
    m_element = doc->createElement(QString::fromLatin1(rootTag));
    doc->appendChild(m_element);
    return true;
}

int CXmlHelper::GetChildCount() const
{
    int count = 0;
    for (QDomElement e = m_element.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        ++count;
    return count;
}

CXmlHelper CXmlHelper::GetChildAt(int index) const
{
    if (index < 0)
        return {};
    int i = 0;
    for (QDomElement e = m_element.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (i++ == index)
            return CXmlHelper(e);
    }
    return {};
}

CXmlHelper CXmlHelper::FindChild(const QByteArray& tag) const
{
    if (m_element.isNull() || !m_element.hasChildNodes())
        return {};
    // elementsByTagName walks the descendants in document order.
    const QDomNodeList found = m_element.elementsByTagName(QString::fromLatin1(tag));
    return found.isEmpty() ? CXmlHelper() : CXmlHelper(found.at(0).toElement());
}

QByteArray CXmlHelper::GetTagName() const
{
    return m_element.isNull() ? QByteArray() : m_element.tagName().toLatin1();
}

CXmlHelper CXmlHelper::AddChild(const QByteArray& tag)
{
    if (m_element.isNull())
        return {};
    QDomElement child = GetDocument()->createElement(QString::fromLatin1(tag));
    m_element.appendChild(child);
    return CXmlHelper(child);
}

QDomNode CXmlHelper::FirstTextChild() const
{
    for (QDomNode n = m_element.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isText())
            return n;
    }
    return {};
}

bool CXmlHelper::SetText(const QByteArray& text)
{
    if (m_element.isNull())
        return false;
    QDomNode node = FirstTextChild();
    if (!node.isNull())
        node.toText().setData(QString::fromLatin1(text));
    else
        m_element.appendChild(GetDocument()->createTextNode(QString::fromLatin1(text)));
    return true;
}

bool CXmlHelper::SetAttribute(const QString& name, const QString& value)
{
    if (m_element.isNull())
        return false;
    m_element.setAttribute(name, value);
    return true;
}

bool CXmlHelper::GetAttribute(const QByteArray& name, QByteArray& value) const
{
    if (m_element.isNull())
        return false;
    value = m_element.attribute(QString::fromLatin1(name)).toLocal8Bit();
    return !value.isEmpty();
}

bool CXmlHelper::GetAttribute(const QByteArray& name, int& value) const
{
    QByteArray text;
    if (!GetAttribute(name, text))
        return false;
    value = LeadingInt(text);
    return true;
}

bool CXmlHelper::GetAttribute(const QByteArray& name, double& value) const
{
    QByteArray text;
    if (!GetAttribute(name, text))
        return false;
    value = text.trimmed().toDouble();
    return true;
}

bool CXmlHelper::GetText(QByteArray& text) const
{
    text.clear();
    if (m_element.isNull() || !m_element.hasChildNodes())
        return false;
    const QDomNode node = FirstTextChild();
    if (node.isNull())
        return false;
    text = node.toText().data().toLatin1();
    return true;
}

bool CXmlHelper::GetText(int& value) const
{
    QByteArray text;
    if (!GetText(text)) {
        value = -1;
        return false;
    }
    value = LeadingInt(text);
    return true;
}

bool CXmlHelper::GetText(bool& value) const
{
    int number = 0;
    if (!GetText(number)) {
        value = false;
        return false;
    }
    value = number != 0;
    return true;
}

bool CXmlHelper::GetText(double& value) const
{
    QByteArray text;
    if (!GetText(text)) {
        value = -1.0;
        return false;
    }
    value = text.trimmed().toDouble();
    return true;
}
