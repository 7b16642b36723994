// SPDX-License-Identifier: GPL-3.0-or-later
#include "StatusNotifierItem.h"

#include "DesktopLogging.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace {

const QString Watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString ItemPath = QStringLiteral("/StatusNotifierItem");
const QString MenuPath = QStringLiteral("/MenuBar");
constexpr int AskMs = 1'000; // a watcher that takes longer is taken for none, until it says more

QDBusMessage ToTheWatcher(const QString& interface, const QString& method) {
    return QDBusMessage::createMethodCall(Watcher, WatcherPath, interface, method);
}

void RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<SniPixmap>();
        qDBusRegisterMetaType<SniPixmaps>();
        qDBusRegisterMetaType<SniToolTip>();
        qDBusRegisterMetaType<DBusMenuLayout>();
        qDBusRegisterMetaType<DBusMenuProperties>();
        qDBusRegisterMetaType<DBusMenuPropertiesList>();
        qDBusRegisterMetaType<DBusMenuRemoved>();
        qDBusRegisterMetaType<DBusMenuRemovedList>();
        qDBusRegisterMetaType<DBusMenuEvent>();
        qDBusRegisterMetaType<DBusMenuEvents>();
        return true;
    }();
    Q_UNUSED(registered)
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const SniPixmap& pixmap) {
    argument.beginStructure();
    argument << pixmap.Width << pixmap.Height << pixmap.Argb;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, SniPixmap& pixmap) {
    argument.beginStructure();
    argument >> pixmap.Width >> pixmap.Height >> pixmap.Argb;
    argument.endStructure();
    return argument;
}
QDBusArgument& operator<<(QDBusArgument& argument, const SniToolTip& tip) {
    argument.beginStructure();
    argument << tip.IconName << tip.Pixmaps << tip.Title << tip.Text;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, SniToolTip& tip) {
    argument.beginStructure();
    argument >> tip.IconName >> tip.Pixmaps >> tip.Title >> tip.Text;
    argument.endStructure();
    return argument;
}
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayout& layout) {
    argument.beginStructure();
    argument << layout.Id << layout.Properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const QVariant& child : layout.Children)
        argument << QDBusVariant(child);
    argument.endArray();
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayout& layout) {
    argument.beginStructure();
    argument >> layout.Id >> layout.Properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        layout.Children << child.variant();
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuProperties& item) {
    argument.beginStructure();
    argument << item.Id << item.Properties;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuProperties& item) {
    argument.beginStructure();
    argument >> item.Id >> item.Properties;
    argument.endStructure();
    return argument;
}
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuRemoved& item) {
    argument.beginStructure();
    argument << item.Id << item.Names;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuRemoved& item) {
    argument.beginStructure();
    argument >> item.Id >> item.Names;
    argument.endStructure();
    return argument;
}
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event) {
    argument.beginStructure();
    argument << event.Id << event.Name << event.Data << event.Timestamp;
    argument.endStructure();
    return argument;
}
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event) {
    argument.beginStructure();
    argument >> event.Id >> event.Name >> event.Data >> event.Timestamp;
    argument.endStructure();
    return argument;
}

StatusNotifierItem::StatusNotifierItem(SniPixmaps icon)
    : icon_(std::move(icon)), service_(QStringLiteral("org.kde.StatusNotifierItem-%1-1")
                                           .arg(QCoreApplication::applicationPid())) {
    RegisterTypes();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    new StatusNotifierItemAdaptor(this);
    auto* menu = new QObject(this);
    new DBusMenuAdaptor(menu, this);
    bus.registerObject(ItemPath, this, QDBusConnection::ExportAdaptors);
    bus.registerObject(MenuPath, menu, QDBusConnection::ExportAdaptors);
    auto* watcher =
        new QDBusServiceWatcher(Watcher, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                registered_ = false;
                if (owner.isEmpty())
                    return HostsChanged(false);
                AskTheWatcher();
            });
    // From any sender: a watcher that just took the name tells of its host
    // before Qt has learnt who owns the name, and a signal tied to the name
    // would be dropped (the item then never goes into a restarted area).
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        bus.connect(QString(), WatcherPath, Watcher, QString::fromLatin1(signal), this,
                    SLOT(AskTheWatcher()));
    // Asked once at once: whether an area is there decides where a window goes at start.
    const QDBusMessage hosted = bus.call(
        ToTheWatcher(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"))
            << Watcher << QStringLiteral("IsStatusNotifierHostRegistered"),
        QDBus::Block, AskMs);
    hosted_ = hosted.type() == QDBusMessage::ReplyMessage &&
              hosted.arguments().value(0).value<QDBusVariant>().variant().toBool();
}

StatusNotifierItem::~StatusNotifierItem() {
    QDBusConnection::sessionBus().unregisterService(service_);
}

// Whether a host shows such items, as the watcher says now.
void StatusNotifierItem::AskTheWatcher() {
    QDBusMessage ask =
        ToTheWatcher(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    ask << Watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    auto* call =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(ask, AskMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusVariant> reply = *w;
        w->deleteLater();
        HostsChanged(!reply.isError() && reply.value().variant().toBool());
    });
}

void StatusNotifierItem::HostsChanged(bool hosted) {
    if (hosted && shown_ && !registered_)
        Register();
    if (std::exchange(hosted_, hosted) != hosted)
        emit availableChanged();
}

void StatusNotifierItem::Show(bool shown) {
    shown_ = shown;
    if (shown && hosted_ && !registered_)
        return Register();
    if (!shown && std::exchange(registered_, false))
        QDBusConnection::sessionBus().unregisterService(service_); // the watcher drops the item
}

void StatusNotifierItem::Register() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerService(service_))
        qCWarning(lcDesktop).noquote() << "cannot take the name" << service_ << "on the bus";
    QDBusMessage add = ToTheWatcher(Watcher, QStringLiteral("RegisterStatusNotifierItem"));
    add << service_;
    bus.asyncCall(add);
    registered_ = true;
}

void StatusNotifierItem::Offer(Entry entry, bool offered) {
    if (std::exchange(offered_[entry], offered) == offered)
        return;
    ++revision_;
    emit layoutChanged(revision_);
    if (entry == StopEntry)
        emit statusChanged(Status());
}

QString StatusNotifierItem::Status() const {
    return offered_[StopEntry] ? QStringLiteral("NeedsAttention") : QStringLiteral("Active");
}

QVariantMap StatusNotifierItem::EntryProperties(int id) const {
    static const char16_t* const labels[] = {u"", u"Stop", u"スヌーズを終了", u"復元"};
    if (id <= 0 || id > RestoreEntry)
        return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
    return {{QStringLiteral("label"), QString::fromUtf16(labels[id])},
            {QStringLiteral("visible"), offered_[id]},
            {QStringLiteral("enabled"), true}};
}

DBusMenuLayout StatusNotifierItem::Layout() const {
    DBusMenuLayout root{0, EntryProperties(0), {}};
    for (int id = StopEntry; id <= RestoreEntry; ++id)
        root.Children << QVariant::fromValue(DBusMenuLayout{id, EntryProperties(id), {}});
    return root;
}

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem* item)
    : QDBusAbstractAdaptor(item), item_(item) {
    setAutoRelaySignals(false);
    connect(item, &StatusNotifierItem::statusChanged, this, &StatusNotifierItemAdaptor::NewStatus);
}

SniToolTip StatusNotifierItemAdaptor::ToolTip() const {
    return {IconName(), item_->Icon(), QStringLiteral("Vendrix staying resident"), {}};
}

// A left click brings the window back, as the menu's 復元 does.
void StatusNotifierItemAdaptor::Activate(int, int) {
    emit item_->chosen(StatusNotifierItem::RestoreEntry);
}
void StatusNotifierItemAdaptor::SecondaryActivate(int, int) {}
void StatusNotifierItemAdaptor::ContextMenu(int, int) {}
void StatusNotifierItemAdaptor::Scroll(int, const QString&) {}

DBusMenuAdaptor::DBusMenuAdaptor(QObject* menu, StatusNotifierItem* item)
    : QDBusAbstractAdaptor(menu), item_(item) {
    setAutoRelaySignals(false);
    connect(item, &StatusNotifierItem::layoutChanged, this,
            [this](uint revision) { emit LayoutUpdated(revision, 0); });
}

uint DBusMenuAdaptor::GetLayout(int parentId, int, const QStringList&, DBusMenuLayout& layout) {
    layout = parentId == 0 ? item_->Layout()
                           : DBusMenuLayout{parentId, item_->EntryProperties(parentId), {}};
    return item_->Revision();
}

DBusMenuPropertiesList DBusMenuAdaptor::GetGroupProperties(const QList<int>& ids,
                                                           const QStringList&) {
    DBusMenuPropertiesList properties;
    for (int id : ids)
        properties << DBusMenuProperties{id, item_->EntryProperties(id)};
    return properties;
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString& name) {
    return QDBusVariant(item_->EntryProperties(id).value(name));
}

void DBusMenuAdaptor::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    if (eventId == QStringLiteral("clicked") && id >= StatusNotifierItem::StopEntry &&
        id <= StatusNotifierItem::RestoreEntry)
        emit item_->chosen(id);
}

QList<int> DBusMenuAdaptor::EventGroup(const DBusMenuEvents& events) {
    for (const DBusMenuEvent& event : events)
        Event(event.Id, event.Name, event.Data, event.Timestamp);
    return {};
}

bool DBusMenuAdaptor::AboutToShow(int) {
    return false;
}

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int>&, QList<int>& idErrors) {
    idErrors.clear();
    return {};
}
