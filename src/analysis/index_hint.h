// The hint before a range check on a table that no index leads by
// StartTime: each day's statements then read the whole table.
#pragma once

class OSql;

// On standard error, one line pointing at "nortesk-etp index" when the
// driver lists the indexes of CDRMAIN on `session` and none of them is led
// by StartTime. Nothing when there is one, when CDRMAIN is a view (whose
// table's indexes the driver does not list), when it is a head whose rows
// are on shards (db/table_shards.h), or when the driver cannot tell.
void HintWhenStartTimeIsUnindexed(OSql& session);
