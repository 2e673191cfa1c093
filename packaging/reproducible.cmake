# Read by cpack before it packs, the zip or the Debian package: every entry
# gets the same fixed times (DOS times are local ones, hence UTC), so the
# package's bytes depend only on the sources.
set(ENV{SOURCE_DATE_EPOCH} 315532800)
set(ENV{TZ} UTC0)
