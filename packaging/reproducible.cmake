# Read by cpack before it zips: every entry gets the same fixed times (DOS
# times are local ones, hence UTC), so the archive's bytes depend only on
# the sources.
set(ENV{SOURCE_DATE_EPOCH} 315532800)
set(ENV{TZ} UTC0)
