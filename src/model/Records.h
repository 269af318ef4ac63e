#pragma once

class ClsGroup;
class ClsResource;
class ClsTask;
class ClsCustomer;
class ClsBooking;

// The record classes the whole program shares: each holds the record the
// windows and transfers work on at the moment. Made at start-up in this
// order and ended at shutdown in the reverse one.
class Records {
public:
    static ClsGroup& Group();
    static ClsResource& Resource();
    static ClsTask& Task();
    static ClsCustomer& Customer();
    static ClsBooking& Booking();

    static void Create();
    static void Release();
};
