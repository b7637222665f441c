// SPDX-License-Identifier: MIT
#include "codecolouring.h"

#include "scintillaview.h"

#include <initializer_list>

namespace {
using Sci = QsciScintillaBase;

// Scintilla's lexer numbers and style numbers (SciLexer.h), for the lexers used here.
constexpr int kLexerNull = 1;
constexpr int kLexerCpp = 3;
constexpr int kLexerHtml = 4;
constexpr int kLexerAsm = 34;

enum Role { Keyword, Comment, String, Number, Preprocessor, Tag, Attribute };

// The roles' hues, mixed into the user's text colour so that they stay close to it and
// readable on the user's background, light or dark.
QColor roleColour(Role role, const QColor& text, const QColor& background)
{
    const bool dark = background.lightnessF() < 0.5;
    QColor hue;
    switch (role) {
    case Keyword:
        hue = dark ? QColor(0x82, 0xaa, 0xff) : QColor(0x00, 0x33, 0xb3);
        break;
    case Comment:
        hue = dark ? QColor(0x8f, 0xbf, 0x7f) : QColor(0x3a, 0x7a, 0x2a);
        break;
    case String:
        hue = dark ? QColor(0xe0, 0xa0, 0x70) : QColor(0xa3, 0x3a, 0x00);
        break;
    case Number:
        hue = dark ? QColor(0x70, 0xc8, 0xc8) : QColor(0x00, 0x70, 0x70);
        break;
    case Preprocessor:
    case Tag:
        hue = dark ? QColor(0xc8, 0x96, 0xe6) : QColor(0x7a, 0x2e, 0x8e);
        break;
    case Attribute:
        hue = dark ? QColor(0xd0, 0xc0, 0x70) : QColor(0x6b, 0x5a, 0x00);
        break;
    }
    const auto mix = [](int a, int b) { return (a + 3 * b) / 4; };
    return QColor(mix(text.red(), hue.red()), mix(text.green(), hue.green()), mix(text.blue(), hue.blue()));
}

long sciColour(const QColor& colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

void style(ScintillaView& view, std::initializer_list<int> styles, Role role, const QColor& text,
           const QColor& background)
{
    const long colour = sciColour(roleColour(role, text, background));
    for (const int s : styles)
        view.sci(Sci::SCI_STYLESETFORE, s, colour);
}

void keywords(ScintillaView& view, int set, const char* words)
{
    view.sciText(Sci::SCI_SETKEYWORDS, set, words);
}

const char* const kCKeywords = "auto break case char const continue default do double else enum extern float for "
                               "goto if inline int long register restrict return short signed sizeof static struct "
                               "switch typedef union unsigned void volatile while _Bool _Complex _Imaginary";
const char* const kCppKeywords =
    "alignas alignof and and_eq asm auto bitand bitor bool break case catch char char8_t char16_t char32_t class "
    "compl concept const consteval constexpr constinit const_cast continue co_await co_return co_yield decltype "
    "default delete do double dynamic_cast else enum explicit export extern false float for friend goto if inline "
    "int long mutable namespace new noexcept not not_eq nullptr operator or or_eq private protected public "
    "register reinterpret_cast requires return short signed sizeof static static_assert static_cast struct switch "
    "template this thread_local throw true try typedef typeid typename union unsigned using virtual void volatile "
    "wchar_t while xor xor_eq override final";
const char* const kAsmInstructions =
    "aaa aad aam aas adc add and call cbw cdq clc cld cli cmc cmp cmps cmpsb cmpsw cmpsd cwd cwde daa das dec div "
    "enter hlt idiv imul in inc int into iret ja jae jb jbe jc jcxz je jecxz jg jge jl jle jmp jna jnae jnb jnbe "
    "jnc jne jng jnge jnl jnle jno jnp jns jnz jo jp jpe jpo js jz lahf lds lea leave les lods lodsb lodsw lodsd "
    "loop loope loopne loopnz loopz mov movs movsb movsw movsd movsx movzx mul neg nop not or out pop popa popad "
    "popf popfd push pusha pushad pushf pushfd rcl rcr rep repe repne repnz repz ret retf retn rol ror sahf sal "
    "sar sbb scas scasb scasw scasd seta setae setb setbe sete setg setge setl setle setne setz shl shr stc std "
    "sti stos stosb stosw stosd sub test xchg xlat xor syscall sysenter cpuid rdtsc bswap bt btc btr bts bsf bsr "
    "cmovz cmovnz cmove cmovne movq movd";
const char* const kAsmRegisters =
    "al ah ax eax rax bl bh bx ebx rbx cl ch cx ecx rcx dl dh dx edx rdx si esi rsi di edi rdi sp esp rsp bp ebp "
    "rbp r8 r9 r10 r11 r12 r13 r14 r15 cs ds es fs gs ss ip eip rip";
const char* const kAsmDirectives =
    "db dw dd dq dt equ org segment ends proc endp assume end include macro endm public extern extrn global "
    "section bits align times resb resw resd resq .data .text .bss .code .model .stack .386 .486 .586 .686 "
    ".globl .global .section .byte .word .long .quad .ascii .asciz .string .align .equ .set .type .size .file";
const char* const kHtmlTags =
    "a abbr address area article aside audio b base bdi bdo blockquote body br button canvas caption cite code "
    "col colgroup data datalist dd del details dfn dialog div dl dt em embed fieldset figcaption figure footer "
    "form h1 h2 h3 h4 h5 h6 head header hr html i iframe img input ins kbd label legend li link main map mark "
    "meta meter nav noscript object ol optgroup option output p param picture pre progress q rp rt ruby s samp "
    "script section select small source span strong style sub summary sup table tbody td template textarea tfoot "
    "th thead time title tr track u ul var video wbr center font frame frameset "
    "href src alt id class style name type value width height lang charset content rel target title action "
    "method border align bgcolor color size colspan rowspan";
const char* const kJavaScriptKeywords =
    "break case catch class const continue debugger default delete do else export extends false finally for "
    "function if import in instanceof let new null return super switch this throw true try typeof var void "
    "while with yield async await";

void colourCpp(ScintillaView& view, bool cpp, const QColor& text, const QColor& background)
{
    view.sci(Sci::SCI_SETLEXER, kLexerCpp);
    keywords(view, 0, cpp ? kCppKeywords : kCKeywords);
    // Code in a false #if stays in the user's colours rather than greyed out.
    view.sciText(Sci::SCI_SETPROPERTY, reinterpret_cast<uintptr_t>("lexer.cpp.track.preprocessor"), "0");
    style(view, { 1, 2, 3, 15, 17, 18, 23, 24 }, Comment, text, background);
    style(view, { 4 }, Number, text, background);
    style(view, { 5, 16 }, Keyword, text, background);
    style(view, { 6, 7, 12, 13, 20 }, String, text, background);
    style(view, { 9 }, Preprocessor, text, background);
}

void colourAssembler(ScintillaView& view, const QColor& text, const QColor& background)
{
    view.sci(Sci::SCI_SETLEXER, kLexerAsm);
    keywords(view, 0, kAsmInstructions);
    keywords(view, 2, kAsmRegisters);
    keywords(view, 3, kAsmDirectives);
    style(view, { 1, 11, 15 }, Comment, text, background);
    style(view, { 2 }, Number, text, background);
    style(view, { 3, 12, 13 }, String, text, background);
    style(view, { 6, 7, 14 }, Keyword, text, background);
    style(view, { 8 }, Attribute, text, background);
    style(view, { 9, 10 }, Preprocessor, text, background);
}

void colourHtml(ScintillaView& view, const QColor& text, const QColor& background)
{
    view.sci(Sci::SCI_SETLEXER, kLexerHtml);
    keywords(view, 0, kHtmlTags);
    keywords(view, 1, kJavaScriptKeywords);
    style(view, { 1, 2, 11, 12, 13, 21 }, Tag, text, background);
    style(view, { 3, 4 }, Attribute, text, background);
    style(view, { 5, 45 }, Number, text, background);
    style(view, { 6, 7, 19, 48, 49 }, String, text, background);
    style(view, { 9, 20, 42, 43, 44 }, Comment, text, background);
    style(view, { 10 }, Preprocessor, text, background);
    style(view, { 46, 47 }, Keyword, text, background);
}
} // namespace

void applyCodeColouring(ScintillaView& view, CodeLanguage language, const QColor& text, const QColor& background)
{
    switch (language) {
    case CodeLanguage::None:
        // The null lexer leaves the styles it finds; the text goes back to the default style.
        view.sci(Sci::SCI_SETLEXER, kLexerNull);
        view.sci(Sci::SCI_STARTSTYLING, 0);
        view.sci(Sci::SCI_SETSTYLING, view.byteLength(), 0);
        return;
    case CodeLanguage::C:
    case CodeLanguage::Cpp:
        colourCpp(view, language == CodeLanguage::Cpp, text, background);
        break;
    case CodeLanguage::Assembler:
        colourAssembler(view, text, background);
        break;
    case CodeLanguage::Html:
        colourHtml(view, text, background);
        break;
    }
    // Styling starts again from the top when the view next paints, in the background beyond what is shown.
    view.sci(Sci::SCI_STARTSTYLING, 0);
}
