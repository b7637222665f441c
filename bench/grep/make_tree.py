#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# make_tree.py MIXED UTF8COPY [FILES] [BYTES_PER_FILE]: a tree of Japanese text files, a third
# each CP932 (CR LF), EUC-JP and UTF-8, every 200th UTF-16 with a BOM, and the same tree in UTF-8.
import os
import random
import sys

mixed, copy = sys.argv[1], sys.argv[2]
files = int(sys.argv[3]) if len(sys.argv) > 3 else 20000
per_file = int(sys.argv[4]) if len(sys.argv) > 4 else 15000

# Words every encoding of the tree holds; "東京都" and "Error" are what the bench looks for.
words = ("日本語 文字コード 変換 会議 議事録 明日 今日 東京 大阪 京都 北海道 山 川 海 空 雲 春 夏 秋 冬 "
         "ひらがな カタカナ 漢字 テスト ファイル 検索 置換 編集 保存 印刷 設定 表示 の は が を に で と "
         "です ます でした ありました main printf value error Warning 2026 12 08 、 。 「 」").split()
rare = ["東京都", "Error: 接続に失敗しました"]
random.seed(25)

def line():
    n = random.randint(4, 30)
    text = "".join(random.choice(words) + (" " if random.random() < 0.2 else "") for _ in range(n))
    if random.random() < 0.002:
        text += random.choice(rare)
    return text.rstrip()

for i in range(files):
    folder = "d%03d/s%02d" % (i // 500, (i // 25) % 20)
    name = "f%05d.txt" % i
    lines, size = [], 0
    while size < per_file:
        text = line()
        lines.append(text)
        size += len(text.encode("utf-8")) + 1
    utf8 = "\n".join(lines) + "\n"
    if i % 200 == 199:
        data = b"\xff\xfe" + utf8.encode("utf-16-le")
    elif i % 3 == 0:
        data = utf8.replace("\n", "\r\n").encode("cp932")
    elif i % 3 == 1:
        data = utf8.encode("euc_jp")
    else:
        data = utf8.encode("utf-8")
    for root, payload in ((mixed, data), (copy, utf8.encode("utf-8"))):
        os.makedirs(os.path.join(root, folder), exist_ok=True)
        with open(os.path.join(root, folder, name), "wb") as f:
            f.write(payload)
