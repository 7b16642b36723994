// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QList>
#include <QObject>
#include <QVariantMap>

// One image of the icon, as the protocol carries it: ARGB32, network order.
struct SniPixmap {
    int Width = 0;
    int Height = 0;
    QByteArray Argb;
};
using SniPixmaps = QList<SniPixmap>;
struct SniToolTip {
    QString IconName;
    SniPixmaps Pixmaps;
    QString Title;
    QString Text;
};
// One entry of the exported menu: its id, properties and children.
struct DBusMenuLayout {
    int Id = 0;
    QVariantMap Properties;
    QVariantList Children;
};
struct DBusMenuProperties {
    int Id = 0;
    QVariantMap Properties;
};
using DBusMenuPropertiesList = QList<DBusMenuProperties>;
struct DBusMenuRemoved {
    int Id = 0;
    QStringList Names;
};
using DBusMenuRemovedList = QList<DBusMenuRemoved>;
struct DBusMenuEvent {
    int Id = 0;
    QString Name;
    QDBusVariant Data;
    uint Timestamp = 0;
};
using DBusMenuEvents = QList<DBusMenuEvent>;

Q_DECLARE_METATYPE(SniPixmap)
Q_DECLARE_METATYPE(SniToolTip)
Q_DECLARE_METATYPE(DBusMenuLayout)
Q_DECLARE_METATYPE(DBusMenuProperties)
Q_DECLARE_METATYPE(DBusMenuRemoved)
Q_DECLARE_METATYPE(DBusMenuEvent)

// Vendrix's icon in a notification area that speaks the StatusNotifierItem
// protocol over the session bus (KDE Plasma, GNOME's AppIndicator extension,
// waybar and the other Wayland bars), with its menu exported as such hosts
// expect (com.canonical.dbusmenu). It is registered with the watcher
// whenever one appears, at start, later, and again after the watcher
// restarts; Qt's own item decides once per process whether such an area
// exists, and so misses one that comes late.
class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    enum Entry { StopEntry = 1, EndSnoozeEntry = 2, RestoreEntry = 3 };

    explicit StatusNotifierItem(SniPixmaps icon);
    ~StatusNotifierItem() override;

    // A host shows such items now.
    bool Available() const { return hosted_; }
    // In the area, or out of it.
    void Show(bool shown);
    // Stop offered: the ring needs attention.
    void Offer(Entry entry, bool offered);

    // What the hosts read (the properties and the menu).
    QString Status() const;
    const SniPixmaps& Icon() const { return icon_; }
    DBusMenuLayout Layout() const;
    QVariantMap EntryProperties(int id) const;
    uint Revision() const { return revision_; }

signals:
    void chosen(int entry);
    // A host came, or the last one went.
    void availableChanged();
    // For the adaptors: what changed.
    void statusChanged(const QString& status);
    void layoutChanged(uint revision);

private slots:
    void AskTheWatcher();

private:
    void Register();
    void HostsChanged(bool hosted);

    const SniPixmaps icon_;
    const QString service_;
    bool hosted_ = false;
    bool shown_ = false;
    bool registered_ = false;
    bool offered_[4] = {false, false, false, true};
    uint revision_ = 1;
};

class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ IconName)
    Q_PROPERTY(SniPixmaps IconPixmap READ IconPixmap)
    Q_PROPERTY(QString AttentionIconName READ IconName)
    Q_PROPERTY(SniPixmaps AttentionIconPixmap READ IconPixmap)
    Q_PROPERTY(SniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ Menu)
public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item);

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const { return QStringLiteral("vendrix"); }
    QString Title() const { return QStringLiteral("Vendrix"); }
    QString Status() const { return item_->Status(); }
    int WindowId() const { return 0; }
    QString IconName() const { return QStringLiteral("vendrix"); }
    SniPixmaps IconPixmap() const { return item_->Icon(); }
    SniToolTip ToolTip() const;
    bool ItemIsMenu() const { return false; }
    QDBusObjectPath Menu() const { return QDBusObjectPath(QStringLiteral("/MenuBar")); }

public slots:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem* item_;
};

class DBusMenuAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ Version)
    Q_PROPERTY(QString TextDirection READ TextDirection)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(QStringList IconThemePath READ IconThemePath)
public:
    // Exported on `menu`, a path of its own.
    DBusMenuAdaptor(QObject* menu, StatusNotifierItem* item);

    uint Version() const { return 3; }
    QString TextDirection() const { return QStringLiteral("ltr"); }
    QString Status() const { return QStringLiteral("normal"); }
    QStringList IconThemePath() const { return {}; }

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   DBusMenuLayout& layout);
    DBusMenuPropertiesList GetGroupProperties(const QList<int>& ids,
                                              const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const DBusMenuEvents& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    void ItemsPropertiesUpdated(const DBusMenuPropertiesList& updated,
                                const DBusMenuRemovedList& removed);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    StatusNotifierItem* item_;
};
