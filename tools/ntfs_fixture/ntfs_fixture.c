/* Command-driven editor of an NTFS image through libntfs-3g: folders, files, times, deletions. */
/*
 * Reads commands from standard input, one per line, fields separated by tabs:
 *   clock  NTTIME                       time that the library sees as "now" (100 ns units since 1601)
 *   mkdir  PATH                         create a folder
 *   create PATH                         create an empty file
 *   write  PATH POS HOSTFILE OFF LEN    write LEN bytes of HOSTFILE from OFF at POS (gaps become sparse)
 *   attrib PATH HEX                     set the file attributes (a folder with 0x800 makes the files
 *                                       created in it compressed)
 *   times  PATH CREATED MODIFIED CHANGED ACCESSED
 *   extname PATH                        move the record's names ($FILE_NAME) into an extension record and its
 *                                       attribute list out of the record, as a volume does for a folder whose
 *                                       attributes outgrew its record
 *   delete PATH                         unlink (a folder must be empty), as the system does on deletion
 *   stat   PATH                         print: stat PATH RECORD KIND SIZE FLAGS RUNS (FLAGS: attrlist, extname,
 *                                       resident, compressed, sparse)
 * PATH is absolute, "/"-separated, UTF-8. Exits non-zero at the first failing command.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <locale.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <sys/time.h>

#include <ntfs-3g/types.h>
#include <ntfs-3g/attrib.h>
#include <ntfs-3g/dir.h>
#include <ntfs-3g/inode.h>
#include <ntfs-3g/logging.h>
#include <ntfs-3g/runlist.h>
#include <ntfs-3g/security.h>
#include <ntfs-3g/unistr.h>
#include <ntfs-3g/volume.h>

/* The library stamps every record with the current time; the fixtures must be the same on every
 * run, so this program answers the clock calls the library makes with a time the script sets. */
#define NT_EPOCH_DIFF 116444736000000000LL
static int64_t fake_now = NT_EPOCH_DIFF + 10000000LL * 1262304000LL; /* 2010-01-01 */

int clock_gettime(clockid_t id, struct timespec* ts)
{
    int64_t t = fake_now - NT_EPOCH_DIFF;
    ts->tv_sec = (time_t)(t / 10000000LL);
    ts->tv_nsec = (long)(t % 10000000LL) * 100;
    return 0;
}

int gettimeofday(struct timeval* tv, void* tz)
{
    int64_t t = fake_now - NT_EPOCH_DIFF;
    tv->tv_sec = (time_t)(t / 10000000LL);
    tv->tv_usec = (long)(t % 10000000LL) / 10;
    return 0;
}

time_t time(time_t* out)
{
    time_t t = (time_t)((fake_now - NT_EPOCH_DIFF) / 10000000LL);
    if (out)
        *out = t;
    return t;
}

static ntfs_volume* vol;
static int line_no;

static void fail(const char* what, const char* path)
{
    fprintf(stderr, "ntfs_fixture: line %d: %s %s: %s\n", line_no, what, path ? path : "", strerror(errno));
    if (vol)
        ntfs_umount(vol, FALSE);
    exit(1);
}

static ntfs_inode* open_path(const char* path)
{
    ntfs_inode* ni = ntfs_pathname_to_inode(vol, NULL, path);
    if (!ni)
        fail("cannot open", path);
    return ni;
}

/* Splits PATH into its parent folder (opened) and its last component (UTF-16). */
static ntfs_inode* open_parent(const char* path, ntfschar** uname, int* ulen)
{
    char* copy = strdup(path);
    char* slash = strrchr(copy, '/');
    if (!slash || !slash[1]) {
        errno = EINVAL;
        fail("bad path", path);
    }
    *slash = 0;
    ntfs_inode* dir = open_path(copy[0] ? copy : "/");
    *uname = NULL;
    *ulen = ntfs_mbstoucs(slash + 1, uname);
    if (*ulen <= 0)
        fail("bad name", path);
    free(copy);
    return dir;
}

static void make(const char* path, mode_t type)
{
    ntfschar* uname;
    int ulen;
    ntfs_inode* dir = open_parent(path, &uname, &ulen);
    ntfs_inode* ni = ntfs_create(dir, const_cpu_to_le32(0), uname, (u8)ulen, type);
    if (!ni)
        fail("cannot create", path);
    if (ntfs_inode_close_in_dir(ni, dir) || ntfs_inode_close(dir))
        fail("cannot close", path);
    free(uname);
}

static void write_data(const char* path, long long pos, const char* host, long long off, long long len)
{
    FILE* f = fopen(host, "rb");
    if (!f)
        fail("cannot open host file", host);
    char* buf = malloc(len > 0 ? (size_t)len : 1);
    if (fseeko(f, off, SEEK_SET) || (len > 0 && fread(buf, 1, (size_t)len, f) != (size_t)len))
        fail("cannot read host file", host);
    fclose(f);
    ntfs_inode* ni = open_path(path);
    ntfs_attr* na = ntfs_attr_open(ni, AT_DATA, AT_UNNAMED, 0);
    if (!na)
        fail("no data attribute", path);
    long long done = 0;
    while (done < len) {
        s64 n = ntfs_attr_pwrite(na, pos + done, len - done, buf + done);
        if (n <= 0)
            fail("cannot write", path);
        done += n;
    }
    ntfs_attr_close(na);
    if (ntfs_inode_close(ni))
        fail("cannot close", path);
    free(buf);
}

static void set_attrib(const char* path, unsigned long attrib)
{
    ntfs_inode* ni = open_path(path);
    le32 value = cpu_to_le32((u32)attrib);
    if (ntfs_set_ntfs_attrib(ni, (const char*)&value, sizeof value, 0))
        fail("cannot set attributes", path);
    if (ntfs_inode_close(ni))
        fail("cannot close", path);
}

static void set_times(const char* path, long long created, long long modified, long long changed, long long accessed)
{
    ntfs_inode* ni = open_path(path);
    ni->creation_time = cpu_to_sle64(created);
    ni->last_data_change_time = cpu_to_sle64(modified);
    ni->last_mft_change_time = cpu_to_sle64(changed);
    ni->last_access_time = cpu_to_sle64(accessed);
    ntfs_inode_mark_dirty(ni);
    NInoFileNameSetDirty(ni);
    if (ntfs_inode_close(ni))
        fail("cannot close", path);
}

/* True when the inode's first $FILE_NAME lies in one of its extension records. */
static int name_in_extension(ntfs_inode* ni)
{
    ntfs_attr_search_ctx* ctx = ntfs_attr_get_search_ctx(ni, NULL);
    if (!ctx)
        return 0;
    int out = !ntfs_attr_lookup(AT_FILE_NAME, NULL, 0, CASE_SENSITIVE, 0, NULL, 0, ctx) && ctx->ntfs_ino != ni;
    ntfs_attr_put_search_ctx(ctx);
    return out;
}

static void move_names_out(const char* path)
{
    ntfs_inode* ni = open_path(path);
    if (!NInoAttrList(ni) && ntfs_inode_add_attrlist(ni))
        fail("cannot add an attribute list", path);
    /* One name at a time: a move changes the record under the search. */
    for (int moved = 1; moved;) {
        moved = 0;
        ntfs_attr_search_ctx* ctx = ntfs_attr_get_search_ctx(ni, NULL);
        if (!ctx)
            fail("cannot search", path);
        while (!ntfs_attr_lookup(AT_FILE_NAME, NULL, 0, CASE_SENSITIVE, 0, NULL, 0, ctx)) {
            if (ctx->ntfs_ino == ni) {
                if (ntfs_attr_record_move_away(ctx, 0))
                    fail("cannot move the name", path);
                moved = 1;
                break;
            }
        }
        ntfs_attr_put_search_ctx(ctx);
    }
    ntfs_attr* na = ntfs_attr_open(ni, AT_ATTRIBUTE_LIST, AT_UNNAMED, 0);
    if (!na)
        fail("no attribute list", path);
    if (!NAttrNonResident(na) && ntfs_attr_force_non_resident(na))
        fail("cannot move the attribute list out", path);
    ntfs_attr_close(na);
    ntfs_inode_mark_dirty(ni);
    if (ntfs_inode_close(ni))
        fail("cannot close", path);
}

static void delete_path(const char* path)
{
    ntfschar* uname;
    int ulen;
    ntfs_inode* dir = open_parent(path, &uname, &ulen);
    ntfs_inode* ni = open_path(path);
    /* ntfs_delete closes both inodes, also on failure. */
    if (ntfs_delete(vol, path, ni, dir, uname, (u8)ulen))
        fail("cannot delete", path);
    free(uname);
}

static void stat_path(const char* path)
{
    ntfs_inode* ni = open_path(path);
    int is_dir = (ni->mrec->flags & MFT_RECORD_IS_DIRECTORY) != 0;
    printf("stat\t%s\t%llu\t%s", path, (unsigned long long)ni->mft_no, is_dir ? "dir" : "file");
    char flags[128] = "";
    if (NInoAttrList(ni))
        strcat(flags, "attrlist,");
    if (NInoAttrList(ni) && name_in_extension(ni))
        strcat(flags, "extname,");
    if (is_dir) {
        printf("\t0\t%s\t\n", flags);
    } else {
        ntfs_attr* na = ntfs_attr_open(ni, AT_DATA, AT_UNNAMED, 0);
        if (!na)
            fail("no data attribute", path);
        if (!NAttrNonResident(na))
            strcat(flags, "resident,");
        if (na->data_flags & ATTR_IS_COMPRESSED)
            strcat(flags, "compressed,");
        if (na->data_flags & ATTR_IS_SPARSE)
            strcat(flags, "sparse,");
        printf("\t%lld\t%s\t", (long long)na->data_size, flags);
        if (NAttrNonResident(na)) {
            if (ntfs_attr_map_whole_runlist(na))
                fail("cannot map runs", path);
            const char* sep = "";
            for (runlist_element* rl = na->rl; rl && rl->length; ++rl) {
                if (rl->lcn == LCN_HOLE)
                    printf("%s-+%lld", sep, (long long)rl->length);
                else if (rl->lcn >= 0)
                    printf("%s%lld+%lld", sep, (long long)rl->lcn, (long long)rl->length);
                else
                    continue;
                sep = ",";
            }
        }
        printf("\n");
        ntfs_attr_close(na);
    }
    if (ntfs_inode_close(ni))
        fail("cannot close", path);
}

#define MAX_FIELDS 8

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: ntfs_fixture IMAGE < commands\n");
        return 2;
    }
    setlocale(LC_ALL, "C.UTF-8");
    ntfs_log_set_handler(ntfs_log_handler_stderr);
    vol = ntfs_mount(argv[1], NTFS_MNT_NONE);
    if (!vol)
        fail("cannot mount", argv[1]);
    /* Files created in a folder flagged compressed (attrib 0x810) are then written compressed. */
    NVolSetCompression(vol);
    char* line = NULL;
    size_t cap = 0;
    ssize_t got;
    while ((got = getline(&line, &cap, stdin)) > 0) {
        ++line_no;
        if (line[got - 1] == '\n')
            line[got - 1] = 0;
        if (!line[0] || line[0] == '#')
            continue;
        char* f[MAX_FIELDS] = {0};
        int n = 0;
        for (char *p = line, *tok; n < MAX_FIELDS && (tok = strsep(&p, "\t"));)
            f[n++] = tok;
        errno = EINVAL;
        if (!strcmp(f[0], "clock") && n == 2)
            fake_now = strtoll(f[1], NULL, 10);
        else if (!strcmp(f[0], "mkdir") && n == 2)
            make(f[1], S_IFDIR);
        else if (!strcmp(f[0], "create") && n == 2)
            make(f[1], S_IFREG);
        else if (!strcmp(f[0], "write") && n == 6)
            write_data(f[1], atoll(f[2]), f[3], atoll(f[4]), atoll(f[5]));
        else if (!strcmp(f[0], "attrib") && n == 3)
            set_attrib(f[1], strtoul(f[2], NULL, 16));
        else if (!strcmp(f[0], "times") && n == 6)
            set_times(f[1], atoll(f[2]), atoll(f[3]), atoll(f[4]), atoll(f[5]));
        else if (!strcmp(f[0], "extname") && n == 2)
            move_names_out(f[1]);
        else if (!strcmp(f[0], "delete") && n == 2)
            delete_path(f[1]);
        else if (!strcmp(f[0], "stat") && n == 2)
            stat_path(f[1]);
        else
            fail("unknown command", f[0]);
        fflush(stdout);
    }
    free(line);
    if (ntfs_umount(vol, FALSE))
        fail("cannot unmount", argv[1]);
    return 0;
}
