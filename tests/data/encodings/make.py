#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Rebuilds the encoded test files from the UTF-8 texts in source/ (see README.md).
import pathlib

here = pathlib.Path(__file__).resolve().parent
src = {name: (here / 'source' / (name + '.txt')).read_text(encoding='utf-8') for name in
       ('ja', 'zh_hans', 'zh_hant', 'ko', 'fr', 'de')}

def write(name, data):
    (here / name).write_bytes(data)

def crlf(text):
    return text.replace('\n', '\r\n')

# Whole texts, one per encoding; the line endings vary so that those are read too.
write('cp932.txt', crlf(src['ja']).encode('cp932'))
write('eucjp.txt', src['ja'].encode('euc_jp'))
write('iso2022jp.txt', crlf(src['ja']).encode('iso2022_jp'))
write('utf8.txt', src['ja'].encode('utf-8'))
write('utf8_bom.txt', b'\xef\xbb\xbf' + crlf(src['ja']).encode('utf-8'))
write('utf16le_bom.txt', b'\xff\xfe' + crlf(src['ja']).encode('utf-16-le'))
write('utf16be_bom.txt', b'\xfe\xff' + crlf(src['ja']).encode('utf-16-be'))
write('utf16le.txt', crlf(src['ja']).encode('utf-16-le'))
write('utf16be.txt', src['ja'].encode('utf-16-be'))
write('gb18030.txt', crlf(src['zh_hans']).encode('gb18030'))
write('big5.txt', crlf(src['zh_hant']).encode('big5'))
write('euckr.txt', src['ko'].encode('euc_kr'))
write('latin1.txt', src['fr'].encode('latin-1'))
write('windows1252.txt', crlf(src['de']).encode('cp1252'))

# Short files: one line each.
write('short_cp932.txt', 'メモ\r\n'.encode('cp932'))
write('short_utf8.txt', 'あ'.encode('utf-8'))
write('short_utf16le.txt', 'ab\r\n'.encode('utf-16-le'))
write('short_utf16be_kanji.txt', '漢字\n'.encode('utf-16-be'))
# Not valid CP932 (0xFA at the end has no trail byte), valid EUC-JP.
write('short_eucjp_kanji.txt', '漢字'.encode('euc_jp'))
# Valid in CP932 too, as half-width katakana; the EUC-JP reading is ordinary Japanese, so EUC-JP.
write('short_eucjp_a.txt', 'あ'.encode('euc_jp'))
# Valid in both, neither reading ordinary Japanese: CP932.
write('short_gb18030_ambiguous.txt', '中文'.encode('gb18030'))
# Not valid CP932 or EUC-JP, too short for uchardet: Western, so Windows-1252.
write('short_latin1.txt', 'café\n'.encode('latin-1'))

# NUL bytes in the first 8 KiB that are not UTF-16: a made-up executable header and a table.
write('binary.bin', b'\x7fELF\x02\x01\x01\x00' + bytes(8) + bytes(range(256)) * 4)
