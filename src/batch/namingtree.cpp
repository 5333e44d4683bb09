#include "namingtree.h"

namespace {

// Position of name among the count entries of index, appending it when missing.
int FindOrAppend(QHash<QString, int>& index, const QString& name, bool* added)
{
    const QString key = TNamingTree::FoldKey(name);
    const auto it = index.constFind(key);
    *added = it == index.cend();
    if (!*added)
        return it.value();
    const int position = int(index.size());
    index.insert(key, position);
    return position;
}

} // namespace

QString TNamingTree::FoldKey(const QString& name)
{
    // Fold each code point as QString::compare does for Qt::CaseInsensitive;
    // QString::toCaseFolded() would apply multi-character special cases too.
    QString key;
    key.reserve(name.size());
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = name[i].unicode();
        if (c < 0x80) {
            key += QChar(char16_t(c >= 'A' && c <= 'Z' ? c + 32 : c));
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < n && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i], name[i + 1]);
            ++i;
        }
        const char32_t folded = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(folded)) {
            key += QChar(QChar::highSurrogate(folded));
            key += QChar(QChar::lowSurrogate(folded));
        } else {
            key += QChar(char16_t(folded));
        }
    }
    return key;
}

TNamingTree::Position TNamingTree::Enter(const QString& artist, const QString& album,
                                         const QString& title)
{
    Position p;
    bool added = false;
    p.artist = FindOrAppend(m_artistIndex, artist, &added);
    if (added)
        m_artists.emplace_back();
    Artist& a = m_artists[std::size_t(p.artist)];
    p.album = FindOrAppend(a.albumIndex, album, &added);
    if (added)
        a.albums.emplace_back();
    p.title = FindOrAppend(a.albums[std::size_t(p.album)].titles, title, &added);
    return p;
}
