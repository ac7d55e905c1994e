// EventListener's tie to the filter panel lives with the application, which owns the panel.
#include <EventListener.h>
#include <FilterWidget.h>

void EventListener::connectFilterWidget(FilterWidget* widget) {
    connect(widget, &FilterWidget::typesChanged, &messageFilter, &EventFilter::setTypes);
    connect(widget, &FilterWidget::addressChanged, &messageFilter, &EventFilter::setAddress);
    connect(widget, &FilterWidget::allAddressesChanged, &messageFilter,
            &EventFilter::setAllAddresses);
}
