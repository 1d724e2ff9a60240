#pragma once

#include <QString>

namespace quiltmap::widgets {

class Calculator;

// Control characters that reach the typed-character handling.
inline constexpr char32_t kEnterKey = U'\r';
inline constexpr char32_t kBackspaceKey = U'\b';

// What the edit control still does with a typed character after the numeric field's filter.
struct TypedKeyEdit
{
    enum Kind {
        Nothing, // the character is dropped or used up
        SetText, // the text becomes `text`, the caret goes to its end
        Insert, // insert the character at the caret in place of the selection
        Backspace, // the edit control's own Backspace
    };
    Kind kind = Nothing;
    QString text;
};

// Decimal digits, letter numbers and other numbers of any script.
bool isNumberCharacter(char32_t character);

// The numeric field's handling of one typed character (Enter and Backspace included). `text`
// is the field's text, `selectedLength` the length of its selection, `maxLength` the most
// characters typing may produce. Operation keys run on `calculator` and may throw
// quiltmap::Error.
TypedKeyEdit filterTypedKey(
    Calculator &calculator, char32_t key, const QString &text, int selectedLength, int maxLength);

// The field's new text after a character typed while the calculator panel is active (Enter
// and Backspace included); closing the panel is the panel's business.
QString panelTypedKey(Calculator &calculator, char32_t key, const QString &text);

// The panel's buttons by caption ("7", "+/-", "=", ...): the field's new text.
QString pressPanelButton(Calculator &calculator, const QString &caption, const QString &text);

} // namespace quiltmap::widgets
