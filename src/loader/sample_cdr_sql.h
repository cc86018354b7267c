// The one fixed call-detail record that the sample loader inserts: a trunk
// call (caller type 7) to an extension (target type 2) on 2014-04-11 from
// 15:17:54 to 15:28:29 UTC, exit state 8 (connected). The columns are named
// in double quotes and mixed case, as the phone system's own database
// expects them; LocalDay and Direction are not among them.
#pragma once

inline constexpr char SampleCdrSql[] =
    "INSERT INTO CDRMAIN ("
    "\"EndTime\",\"SessionID\",\"ConfSessionID\",\"TrunkCall\",\"OutGoingWG\",\"HoldDuration\","
    "\"AbnTargetType\",\"CallerSiteNodeId\",\"EndSKLR\",\"CallerDepart\",\"TargetTenant\",\"TargetWGNum\","
    "\"DNIS\",\"CallerType\",\"CallerPad\",\"TargetPad\",\"AccountCode\",\"AADuration\","
    "\"AnswerWithinSLT\",\"ExitState\",\"StartPriority\",\"TargetType\",\"CalleeSiteNodeId\",\"DayOfWeek\","
    "\"SequenceID\",\"CallerName\",\"MMCallType\",\"AdvQAppType\",\"IVRData\",\"StartTime\","
    "\"TargetName\",\"CallerNum\",\"CallerProject\",\"TargetNum\",\"TargetProject\",\"UserData\""
    ") VALUES ("
    "1397230109,1396986210,0,2,0,0,"
    "0,0,0,'','',7800,"
    "'5550100101',7,'030721','030147','',27,"
    "1,8,5,2,24,5,"
    "1,'Caller,Sample',0,0,'',1397229474,"
    "'Target Sample','5550100202',0,'7856',0,'DDR'"
    ")";
