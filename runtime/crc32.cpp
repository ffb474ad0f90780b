// zlib's inflate refers to crc32 for gzip streams, which the payload never
// is (one zlib stream each, checked by Adler-32); zlib's own crc32 comes
// with large tables. This one is bitwise: small, slow and exact. Defined
// here, zlib's object file that holds its own is never linked.
#include <zlib.h>

extern "C" uLong ZEXPORT crc32(uLong crc, const Bytef* buf, uInt len)
{
    if (!buf)
        return 0;
    crc = ~crc & 0xFFFFFFFFul;
    while (len--) {
        crc ^= *buf++;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320ul & (0ul - (crc & 1)));
    }
    return ~crc & 0xFFFFFFFFul;
}
