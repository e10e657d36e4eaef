#include "mainwin/fonts.h"

#include <QStringList>

namespace qb {

void InstallFontSubstitutes() {
  const QString face = QString::fromUtf8(kGothicFace);
  if (!QFont::substitutes(face).isEmpty()) return;
  QFont::insertSubstitutions(face, {QStringLiteral("Noto Sans Mono CJK JP"),
                                    QStringLiteral("IPAGothic"), QStringLiteral("IPA Gothic")});
}

}  // namespace qb
