#include "model/Records.h"

#include "base/SharedInstance.h"
#include "model/ClsBooking.h"
#include "model/ClsCustomer.h"
#include "model/ClsGroup.h"
#include "model/ClsResource.h"
#include "model/ClsTask.h"

namespace {
SharedInstance<ClsGroup> g_group("ClsGroup");
SharedInstance<ClsResource> g_resource("ClsResource");
SharedInstance<ClsTask> g_task("ClsTask");
SharedInstance<ClsCustomer> g_customer("ClsCustomer");
SharedInstance<ClsBooking> g_booking("ClsBooking");
} // namespace

ClsGroup& Records::Group() { return g_group.Get(); }
ClsResource& Records::Resource() { return g_resource.Get(); }
ClsTask& Records::Task() { return g_task.Get(); }
ClsCustomer& Records::Customer() { return g_customer.Get(); }
ClsBooking& Records::Booking() { return g_booking.Get(); }

void Records::Create() {
    g_group.Create();
    g_resource.Create();
    g_task.Create();
    g_customer.Create();
    g_booking.Create();
}

void Records::Release() {
    g_booking.Release();
    g_customer.Release();
    g_task.Release();
    g_resource.Release();
    g_group.Release();
}
