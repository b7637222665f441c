/* 文字コードの変換 */
#include <stdio.h>

int main(void)
{
    const char *message = "こんにちは、世界";
    printf("%s\n", message); /* 東京 */
    return 0; // main の終わり
}
