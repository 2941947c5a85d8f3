#include "MemoryReuse.h"

#include <QtTest>

#include <cstdlib>
#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

class MemoryReuseTest : public QObject
{
    Q_OBJECT

private slots:
    // A block as large as a saved letter's compression state (a few hundred KB, 900 KB here) comes from the
    // heap, to be used again by the next letter, rather than being mapped afresh from the system.
    void letterSizedBlocksComeFromTheHeap()
    {
#if defined(M_MMAP_THRESHOLD)
        quill::keepFreedMemoryForReuse();
        void *block = std::malloc(900 * 1024);
        QVERIFY(block);
        const struct mallinfo2 info = mallinfo2();
        std::free(block);
        QCOMPARE(info.hblks, size_t(0));
#else
        QSKIP("the C library has no such tuning");
#endif
    }
};

QTEST_GUILESS_MAIN(MemoryReuseTest)
#include "tst_memoryreuse.moc"
